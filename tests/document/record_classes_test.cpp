// Archive records of the control, panel, sequencer and plug-in module classes.
//
// Each record starts with its base class's record; those are written here by the base class
// itself (at the version under test), and the fields that follow are written by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/control.h"
#include "document/drawing_modules.h"
#include "document/module_registry.h"
#include "document/panel_objects.h"
#include "document/plug.h"
#include "document/sequencer_doc.h"
#include "extmodule/plugin_doc.h"
#include "hostedvst/vst_plugin_doc.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/message_capture.h"
#include "tests/support/record_io.h"

namespace md {
namespace {

using test::ArchiveBytes;
using test::Bytes;
using test::ExpectRefused;
using test::LoadInto;
using test::Loose;
using test::Store;

// ---- helpers ----

Bytes CugRecord(int32_t v, const std::string& title = "Knob") {
    CUG m;
    m.set_title(title);
    return Store(m, v);
}

std::unique_ptr<ArchObject> Create(const char* class_name) {
    const SerialClass* c = FindSerialClass(class_name);
    if (c == nullptr || c->create == nullptr) {
        ADD_FAILURE() << class_name << " is not in the class table";
        return nullptr;
    }
    return c->create();
}

// Writes `o`, reads the bytes into a new object of its class and writes that: both writes
// must be the same. Returns them.
Bytes StoreStable(ArchObject& o) {
    const Bytes first = Store(o);
    std::unique_ptr<ArchObject> again = o.GetRuntimeClass().create();
    Loose loose;
    LoadInto(*again, first, kArchiveVersion, &loose);
    EXPECT_EQ(Store(*again), first) << "second write differs";
    return first;
}

Bytes Int32s(const std::vector<int32_t>& xs) {
    ArchiveBytes b;
    for (int32_t x : xs) b.le32(static_cast<uint32_t>(x));
    return b.bytes();
}

Bytes Double(double x) {
    const auto bits = std::bit_cast<uint64_t>(x);
    return ArchiveBytes().le32(static_cast<uint32_t>(bits)).le32(bits >> 32).bytes();
}

uint32_t FloatBits(float x) {
    return std::bit_cast<uint32_t>(x);
}

// ---- CControl ----

// The value of patch i in the control tests, per kind, as text.
std::string PatternValue(ControlValueKind kind, int i) {
    switch (kind) {
        case ControlValueKind::kInteger:
            return std::to_string(1000 + i);
        case ControlValueKind::kDouble:
            return std::to_string(0.5 * i);
        case ControlValueKind::kText:
            return "p" + std::to_string(i);
    }
    return {};
}

// `n` pattern values as stored; texts carry their own count, `text_count` when given.
Bytes PatternValues(ControlValueKind kind, int n, int text_count = -1) {
    ArchiveBytes b;
    if (kind == ControlValueKind::kText)
        b.le16(static_cast<uint16_t>(text_count < 0 ? n : text_count));
    for (int i = 0; i < n; ++i) {
        switch (kind) {
            case ControlValueKind::kInteger:
                b.le32(static_cast<uint32_t>(1000 + i));
                break;
            case ControlValueKind::kDouble:
                b.append(Double(0.5 * i));
                break;
            case ControlValueKind::kText:
                b.text(PatternValue(kind, i));
                break;
        }
    }
    return b.bytes();
}

std::string ValueOf(const CControl& c, int patch) {
    switch (c.ValueKind()) {
        case ControlValueKind::kInteger:
            return std::to_string(c.IntValue(patch));
        case ControlValueKind::kDouble:
            return std::to_string(c.DoubleValue(patch));
        case ControlValueKind::kText:
            return c.TextValue(patch);
    }
    return {};
}

// A CControl record at version v: the module record titled "Knob", then (from 19) the setting
// 7 (from 84), the value count n and `values`, the rectangle {1,2,3,4} and (from 61) "tip".
Bytes ControlRecord(int32_t v, int32_t n, const Bytes& values) {
    ArchiveBytes b;
    b.append(CugRecord(v));
    if (v > 18) {
        if (v > 83) b.le32(7);
        b.le32(static_cast<uint32_t>(n)).append(values);
    }
    b.rect(1, 2, 3, 4);
    if (v >= 61) b.text("tip");
    return b.bytes();
}

struct KindCase {
    const char* class_name;
    ControlValueKind kind;
};
const KindCase kKindCases[] = {
    {"Ctl_Combo", ControlValueKind::kInteger},
    {"Ctl_Slider", ControlValueKind::kDouble},
    {"Ctl_Text", ControlValueKind::kText},
};

TEST(ControlRecord, ReadsOneValuePerPatchInItsClassKind) {
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(c.class_name);
        const Bytes bytes =
            ControlRecord(kArchiveVersion, 128, PatternValues(c.kind, CControl::kValueCount));
        auto o = Create(c.class_name);
        ASSERT_NE(o, nullptr);
        auto* control = dynamic_cast<CControl*>(o.get());
        ASSERT_NE(control, nullptr);
        LoadInto(*control, bytes, kArchiveVersion);

        EXPECT_EQ(control->ValueKind(), c.kind);
        EXPECT_EQ(control->title(), "Knob");
        EXPECT_EQ(control->control_setting, 7);
        for (int patch : {0, 1, 77, 127}) {
            EXPECT_EQ(ValueOf(*control, patch), PatternValue(c.kind, patch)) << patch;
        }
        EXPECT_FALSE(control->single_value());
        EXPECT_EQ(control->panel_rect, (Rect{1, 2, 3, 4}));
        EXPECT_EQ(control->hint, "tip");
        EXPECT_EQ(Store(*control), bytes);
    }
}

TEST(ControlRecord, OneStoredValueServesEveryPatchAndIsWrittenAsOne) {
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(c.class_name);
        const Bytes bytes = ControlRecord(kArchiveVersion, 1, PatternValues(c.kind, 1));
        auto o = Create(c.class_name);
        ASSERT_NE(o, nullptr);
        auto& control = dynamic_cast<CControl&>(*o);
        LoadInto(control, bytes, kArchiveVersion);

        EXPECT_TRUE(control.single_value());
        for (int patch : {0, 1, 64, 127}) {
            EXPECT_EQ(ValueOf(control, patch), PatternValue(c.kind, 0)) << patch;
        }
        EXPECT_EQ(Store(control), bytes);
    }
    // Its one value is the value of every patch, whichever patch is set.
    Ctl_Combo combo;
    LoadInto(combo, ControlRecord(kArchiveVersion, 1, Int32s({4})), kArchiveVersion);
    combo.SetIntValue(9, 12);
    EXPECT_EQ(combo.IntValue(0), 12);
    EXPECT_EQ(combo.IntValue(127), 12);
}

TEST(ControlRecord, FewerValuesLeaveDefaultsAndMoreAreDropped) {
    Ctl_Combo few;
    LoadInto(few, ControlRecord(kArchiveVersion, 3, Int32s({5, 6, 7})), kArchiveVersion);
    EXPECT_EQ(few.IntValue(2), 7);
    EXPECT_EQ(few.IntValue(3), 0);
    EXPECT_FALSE(few.single_value());
    std::vector<int32_t> all(128, 0);
    all[0] = 5, all[1] = 6, all[2] = 7;
    EXPECT_EQ(Store(few), ControlRecord(kArchiveVersion, 128, Int32s(all)));

    Ctl_Text many;
    LoadInto(many, ControlRecord(kArchiveVersion, 130, PatternValues(ControlValueKind::kText, 130)),
             kArchiveVersion);
    EXPECT_EQ(many.TextValue(127), "p127");
    EXPECT_EQ(many.TextValue(128), "");
    EXPECT_EQ(Store(many),
              ControlRecord(kArchiveVersion, 128, PatternValues(ControlValueKind::kText, 128)));
}

TEST(ControlRecord, FieldsPresentByVersion) {
    const struct {
        int32_t v;
        bool values;
        bool setting;
        bool hint;
    } cases[] = {
        {18, false, false, false}, {19, true, false, false}, {60, true, false, false},
        {61, true, false, true},   {83, true, false, true},  {84, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v);
        Ctl_PushButton button;
        LoadInto(button, ControlRecord(c.v, 128, PatternValues(ControlValueKind::kInteger, 128)),
                 c.v);
        EXPECT_EQ(button.title(), "Knob");
        EXPECT_EQ(button.IntValue(5), c.values ? 1005 : 0);
        EXPECT_EQ(button.control_setting, c.setting ? 7 : 0);
        EXPECT_EQ(button.panel_rect, (Rect{1, 2, 3, 4}));
        EXPECT_EQ(button.hint, c.hint ? "tip" : "");
        StoreStable(button);
    }
}

TEST(ControlRecord, MalformedValueCountsAreRefused) {
    const struct {
        const char* name;
        Bytes bytes;
        bool text;
    } cases[] = {
        {"negative integer count", ControlRecord(kArchiveVersion, -1, {}), false},
        {"integers beyond the bytes", ControlRecord(kArchiveVersion, 1000, Int32s({1, 2})), false},
        {"huge integer count", ControlRecord(kArchiveVersion, 0x7FFFFFFF, {}), false},
        {"negative text count", ControlRecord(kArchiveVersion, -1, ArchiveBytes().le16(0).bytes()),
         true},
        {"texts beyond the bytes",
         ControlRecord(kArchiveVersion, 2, PatternValues(ControlValueKind::kText, 2, 500)), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text) {
            ExpectRefused<Ctl_Text>(c.bytes, kArchiveVersion);
        } else {
            ExpectRefused<Ctl_Combo>(c.bytes, kArchiveVersion);
        }
    }
    ExpectRefused<Ctl_Slider>(
        ControlRecord(kArchiveVersion, 20, PatternValues(ControlValueKind::kInteger, 20)),
        kArchiveVersion);  // 80 bytes hold 10 doubles, not 20
}

// ---- panel objects ----

// The record of a control_ob_base titled `title`, without linked object.
Bytes PanelObjectRecord(const std::string& title, const Rect& r = {10, 20, 30, 40}) {
    control_ob_base o;
    o.set_title(title);
    o.panel_rect = r;
    return Store(o, kArchiveVersion);
}

TEST(PanelObjectRecord, EntriesOfThreeRunUntilMinusOne) {
    CGraphicObject drawing;
    const Bytes bytes = ArchiveBytes()
                            .append(CugRecord(kArchiveVersion, "Image"))
                            .new_class("CGraphicObject")
                            .append(Store(drawing, kArchiveVersion))
                            .rect(5, 6, 7, 8)
                            .append(Int32s({1, 2, 3, 4, -1, 6, -1}))
                            .bytes();
    control_ob_bitmap image;
    Loose loose;
    LoadInto(image, bytes, kArchiveVersion, &loose);
    EXPECT_EQ(image.title(), "Image");
    ASSERT_NE(image.linked_object, nullptr);
    EXPECT_TRUE(image.linked_object->IsKindOf(CGraphicObject::kClass));
    EXPECT_EQ(image.panel_rect, (Rect{5, 6, 7, 8}));
    const std::vector<std::array<int32_t, 3>> entries = {{1, 2, 3}, {4, -1, 6}};
    EXPECT_EQ(image.entries, entries);
    EXPECT_EQ(Store(image), bytes);

    // Without its end mark the list runs into the end of the archive.
    const Bytes unended = ArchiveBytes()
                              .append(CugRecord(kArchiveVersion))
                              .null()
                              .rect(0, 0, 0, 0)
                              .append(Int32s({1, 2, 3}))
                              .bytes();
    ExpectRefused<control_ob_text>(unended, kArchiveVersion);
}

TEST(PanelObjectRecord, GroupMembersRunUntilANullObject) {
    // Members A and B (object indices 2 and 3), then A again.
    const auto group_bytes = [](bool repeat_a) {
        ArchiveBytes b;
        b.append(CugRecord(kArchiveVersion, "Group")).null().rect(0, 0, 100, 50);
        b.new_class("control_ob_base").append(PanelObjectRecord("A"));
        b.class_ref(1).append(PanelObjectRecord("B"));
        if (repeat_a) b.object_ref(2);
        return b.null().bytes();
    };
    control_group_ob group;
    Loose loose;
    LoadInto(group, group_bytes(true), kArchiveVersion, &loose);
    ASSERT_EQ(group.members().size(), 2u);
    EXPECT_EQ(group.members()[0]->title(), "A");
    EXPECT_EQ(group.members()[1]->title(), "B");
    EXPECT_EQ(group.members()[1]->panel_rect, (Rect{10, 20, 30, 40}));
    EXPECT_EQ(Store(group), group_bytes(false));

    // A member that isn't a panel object, and a group that is its own member.
    CPortal portal;
    ExpectRefused<control_group_ob>(ArchiveBytes()
                                        .append(CugRecord(kArchiveVersion))
                                        .null()
                                        .rect(0, 0, 0, 0)
                                        .new_class("CPortal")
                                        .append(Store(portal, kArchiveVersion))
                                        .null()
                                        .bytes(),
                                    kArchiveVersion);
    const Bytes itself = ArchiveBytes()
                             .new_class("control_group_ob")
                             .append(CugRecord(kArchiveVersion))
                             .null()
                             .rect(0, 0, 0, 0)
                             .object_ref(2)
                             .null()
                             .bytes();
    Archive ar = Archive::ForLoading(itself);
    EXPECT_THROW(ar.LoadOwned(control_group_ob::kClass), ArchiveError);
}

TEST(PanelObjectRecord, PagedGroupKeepsEveryPairAndEachDocumentObjectOnce) {
    CPortal portal;
    portal.text = "sub";
    CGraphicObject drawing;
    CPlug2 plug(3, "x");
    const Bytes bytes = ArchiveBytes()
                            .append(CugRecord(kArchiveVersion, "Pages"))
                            .null()
                            .rect(0, 0, 200, 100)
                            .rect(0, 20, 200, 100)
                            .new_class("CPortal")  // class 1, object 2
                            .append(Store(portal, kArchiveVersion))
                            .le32(1)
                            .new_class("CGraphicObject")  // class 3, object 4
                            .append(Store(drawing, kArchiveVersion))
                            .le32(2)
                            .object_ref(2)
                            .le32(3)
                            .new_class("CPlug2", 2)  // not a document object
                            .append(Store(plug, kArchiveVersion))
                            .le32(4)
                            .null()
                            .bytes();
    CTabBox pages;
    Loose loose;
    LoadInto(pages, bytes, kArchiveVersion, &loose);
    EXPECT_EQ(pages.page_rect, (Rect{0, 20, 200, 100}));
    ASSERT_EQ(pages.entries().size(), 4u);
    std::vector<int32_t> entry_pages;
    for (const auto& e : pages.entries()) entry_pages.push_back(e.page);
    EXPECT_EQ(entry_pages, (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_TRUE(pages.entries()[3].object->IsKindOf(CPlug2::kClass));

    ASSERT_EQ(pages.members().size(), 2u);
    auto* read_portal = dynamic_cast<CPortal*>(pages.members()[0].object);
    ASSERT_NE(read_portal, nullptr);
    EXPECT_EQ(read_portal->text, "sub");
    EXPECT_EQ(pages.members()[0].page, 1);
    EXPECT_TRUE(pages.members()[1].object->IsKindOf(CGraphicObject::kClass));
    EXPECT_EQ(pages.members()[1].page, 2);
    EXPECT_EQ(Store(pages), bytes);
}

TEST(PanelObjectRecord, PanelBoxesAndPortalsByVersion) {
    // Before 41 a panel group has no document-object record and is always a "Panel Group".
    CPanelBox2 old_box;
    LoadInto(old_box, ArchiveBytes().text("Frame").rect(1, 1, 9, 9).bytes(), 40);
    EXPECT_EQ(old_box.type_id(), "Panel Group");
    EXPECT_EQ(old_box.title, "Frame");
    EXPECT_EQ(old_box.panel_rect, (Rect{1, 1, 9, 9}));

    CGraphicObject typed;
    typed.set_type(Registry().FindModule("Panel Group"));
    ASSERT_NE(typed.type(), nullptr);
    CPanelBox box;
    LoadInto(box, ArchiveBytes().append(Store(typed, 41)).text("Frame").rect(1, 1, 9, 9).bytes(),
             41);
    EXPECT_EQ(box.type_id(), "Panel Group");
    EXPECT_EQ(box.title, "Frame");
    StoreStable(box);

    // The portal setting is stored from 68 on and is 3 before.
    for (int32_t v : {67, 68}) {
        SCOPED_TRACE(v);
        CGraphicObject doc;
        ArchiveBytes b;
        b.append(Store(doc, v)).text("inner").rect(2, 3, 4, 5);
        if (v >= 68) b.le32(9);
        CPortal portal;
        LoadInto(portal, b.bytes(), v);
        EXPECT_EQ(portal.text, "inner");
        EXPECT_EQ(portal.panel_rect, (Rect{2, 3, 4, 5}));
        EXPECT_EQ(portal.setting, v >= 68 ? 9 : 3);
    }
}

// ---- modules with a panel area ----

TEST(ModuleRecord, PatchSelectBefore50IsAOneValueControl) {
    Ctl_PatchSel old_select;
    LoadInto(old_select, ControlRecord(49, 1, Int32s({3})), 49);
    EXPECT_EQ(old_select.type_id(), "Patch Select");
    EXPECT_EQ(old_select.title(), "Knob");
    ASSERT_NE(old_select.legacy_control(), nullptr);
    EXPECT_EQ(old_select.legacy_control()->IntValue(100), 3);
    EXPECT_EQ(old_select.legacy_control()->panel_rect, (Rect{1, 2, 3, 4}));

    // Written as a plain module record.
    CUG expected;
    expected.set_type(Registry().FindModule("Patch Select"));
    expected.set_title("Knob");
    EXPECT_EQ(StoreStable(old_select), Store(expected, kArchiveVersion));

    Ctl_PatchSel select;
    LoadInto(select, CugRecord(50), 50);
    EXPECT_EQ(select.title(), "Knob");
    EXPECT_EQ(select.legacy_control(), nullptr);
}

TEST(ModuleRecord, WaveShaperHasItsRectangleFrom95271) {
    for (const char* name : {"Ctl_WaveShape", "Ctl_WaveShape2"}) {
        for (int32_t v : {95270, 95271}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(v));
            ArchiveBytes b;
            b.append(CugRecord(v, "Shape"));
            if (v >= 95271) b.rect(4, 3, 2, 1);
            auto o = Create(name);
            ASSERT_NE(o, nullptr);
            auto& shaper = dynamic_cast<Ctl_WaveShape&>(*o);
            LoadInto(shaper, b.bytes(), v);
            EXPECT_EQ(shaper.title(), "Shape");
            EXPECT_EQ(shaper.panel_rect, v >= 95271 ? (Rect{4, 3, 2, 1}) : Rect{});
        }
    }
}

// ---- sequencers ----

// A step of the sequencer tests: note = step index, then velocity, modulation, spare.
void AppendStep(ArchiveBytes& b, int32_t v, int i, bool slide_field, bool slide) {
    b.append(Int32s({i, 100, 5, 0}));
    if (slide_field) b.le32(slide ? 1 : 0);
    if (v == 14) b.le32(0xEE);
}

TEST(SequencerRecord, PatternSequencerFieldsByVersion) {
    for (int32_t v : {14, 17, 18, 22, 23, 24, 25, kArchiveVersion}) {
        SCOPED_TRACE(v);
        CControl base;
        base.set_title("Seq");
        ArchiveBytes b;
        b.append(Store(base, v));
        if (v < 18) b.append(Bytes(16, 0xAB));
        b.le32(77).le32(FloatBits(133.5f)).le32(2).le32(3).append(Int32s({0, 2, 1}));
        if (v >= 25) b.le32(2);
        // Pattern 0: two steps, the first sliding; pattern 1: 33 steps; the rest empty.
        const bool slide = v >= 23;
        b.le32(2);
        AppendStep(b, v, 0, slide, true);
        AppendStep(b, v, 1, slide, false);
        b.le32(33);
        for (int i = 0; i < 33; ++i) AppendStep(b, v, i, slide, false);
        for (int p = 2; p < kSequencerPatterns; ++p) b.le32(0);

        CStepSeq2 seq;
        LoadInto(seq, b.bytes(), v);
        EXPECT_EQ(seq.title(), "Seq");
        EXPECT_EQ(seq.unused_setting, 77);
        EXPECT_EQ(seq.tempo, 133.5f);
        EXPECT_TRUE(seq.song_mode);
        EXPECT_EQ(seq.song, (std::vector<int32_t>{0, 2, 1}));
        EXPECT_EQ(seq.current_pattern, v >= 25 ? 2 : 0);
        ASSERT_EQ(seq.patterns[0].size(), 2u);
        EXPECT_EQ(seq.patterns[0][1].note, 1);
        EXPECT_EQ(seq.patterns[0][1].velocity, 100);
        EXPECT_EQ(seq.patterns[0][0].modulation, 5);
        EXPECT_EQ(seq.patterns[0][0].slide, slide);
        EXPECT_FALSE(seq.patterns[0][1].slide);
        ASSERT_EQ(seq.patterns[1].size(), 32u);
        EXPECT_EQ(seq.patterns[1][31].note, 31);
        EXPECT_TRUE(seq.patterns[2].empty());
        const Bytes written = StoreStable(seq);
        if (v == kArchiveVersion) {
            EXPECT_EQ(written.size(), b.size() - 20) << "the 33rd step is not written";
        }
    }
}

TEST(SequencerRecord, DrumSequencerMasks) {
    CControl base;
    ArchiveBytes b;
    b.append(Store(base, kArchiveVersion)).le32(0).le32(FloatBits(90.0f)).le32(0).le32(0).le32(5);
    b.le32(3).append(Int32s({0x1, 0x5, 0x80}));
    for (int p = 1; p < kSequencerPatterns; ++p) b.le32(0);
    CDrumSeq drums;
    LoadInto(drums, b.bytes(), kArchiveVersion);
    EXPECT_EQ(drums.current_pattern, 5);
    EXPECT_EQ(drums.patterns[0], (std::vector<int32_t>{0x1, 0x5, 0x80}));
    EXPECT_EQ(Store(drums), b.bytes());
}

TEST(SequencerRecord, OldStepSequencer) {
    for (int32_t v : {14, 30}) {
        SCOPED_TRACE(v);
        ArchiveBytes b;
        b.append(CugRecord(v, "Old"));
        Bytes display;
        for (uint8_t i = 1; i <= 16; ++i) display.push_back(i);
        b.append(display).le32(33).le32(FloatBits(99.0f));
        for (int p = 0; p < 33; ++p) {
            b.le32(1);
            AppendStep(b, v, p, false, false);
        }
        b.le32(1).le32(2).append(Int32s({3, 4}));

        CStepSeq seq;
        LoadInto(seq, b.bytes(), v);
        EXPECT_EQ(seq.display_settings, display);
        EXPECT_EQ(seq.tempo, 99.0f);
        ASSERT_EQ(seq.patterns.size(), 32u);
        ASSERT_EQ(seq.patterns[31].size(), 1u);
        EXPECT_EQ(seq.patterns[31][0].note, 31);
        EXPECT_TRUE(seq.song_mode);
        EXPECT_EQ(seq.song, (std::vector<int32_t>{3, 4}));
        StoreStable(seq);
    }
}

TEST(SequencerRecord, MalformedCountsAreRefused) {
    CControl base;
    const Bytes head =
        ArchiveBytes().append(Store(base, kArchiveVersion)).le32(0).le32(0).le32(0).bytes();
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"negative song count", ArchiveBytes().append(head).le32(0xFFFFFFFF).bytes()},
        {"song beyond the bytes", ArchiveBytes().append(head).le32(1000).le32(1).bytes()},
        {"negative step count",
         ArchiveBytes().append(head).le32(0).le32(0).le32(0xFFFFFFFE).bytes()},
        {"steps beyond the bytes",
         ArchiveBytes().append(head).le32(0).le32(0).le32(0x10000000).bytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRefused<CStepSeq2>(c.bytes, kArchiveVersion);
    }
    ExpectRefused<CStepSeq>(ArchiveBytes()
                                .append(CugRecord(kArchiveVersion))
                                .append(Bytes(16))
                                .le32(0x80000000)
                                .bytes(),
                            kArchiveVersion);
}

// ---- hosted plug-in ----

struct VstCase {
    const char* name;
    int32_t v;
    bool chunks;
};

// A hosted plug-in record: 2 parameters, 2 programs ("Lead" and "Pad"), current program 1.
Bytes VstRecord(const VstCase& c, const std::string& library) {
    ArchiveBytes b;
    if (c.v > 49) b.append(CugRecord(c.v, "Synth"));
    b.text(library);
    if (c.v >= 55) b.le32(0x41424344);
    b.le32(c.chunks ? 1 : 0).le32(2).le32(2).le32(1);
    if (c.v > 38 && c.chunks) b.le32(4).raw("BANK");
    b.text("Lead");
    if (!c.chunks) b.le32(FloatBits(0.25f)).le32(FloatBits(1.0f));
    if (c.chunks && c.v < 39) b.le32(3).raw("one");
    b.text("Pad");
    if (!c.chunks) b.le32(FloatBits(0.5f)).le32(FloatBits(0.0f));
    if (c.chunks && c.v < 39) b.le32(3).raw("two");
    if (c.v > 41) b.le32(2).le32(7).le32(0xFFFFFFFF);
    return b.bytes();
}

TEST(HostedPluginRecord, FieldsByVersionAndChunkFlag) {
    const VstCase cases[] = {
        {"values, no MIDI", 38, false},
        {"program chunks", 38, true},
        {"bank chunk", 39, true},
        {"MIDI assignments", 42, false},
        {"module record", 50, false},
        {"unique id and file name", 55, true},
        {"current", kArchiveVersion, false},
    };
    for (const VstCase& c : cases) {
        SCOPED_TRACE(c.name);
        Ctl_VST_Plugin plugin;
        LoadInto(plugin, VstRecord(c, "C:\\Plugins\\Synth.dll"), c.v);
        EXPECT_EQ(plugin.title(), c.v > 49 ? "Synth" : "");
        EXPECT_EQ(plugin.library_name, c.v < 55 ? "Synth.dll" : "C:\\Plugins\\Synth.dll");
        EXPECT_EQ(plugin.unique_id, c.v >= 55 ? 0x41424344 : 0);
        EXPECT_EQ(plugin.uses_chunks(), c.chunks);
        EXPECT_EQ(plugin.parameter_count, 2);
        EXPECT_EQ(plugin.current_program, 1);
        EXPECT_EQ(plugin.bank_chunk, c.chunks && c.v > 38 ? Bytes({'B', 'A', 'N', 'K'}) : Bytes());
        ASSERT_EQ(plugin.programs.size(), 2u);
        EXPECT_EQ(plugin.programs[1].name, "Pad");
        if (c.chunks) {
            EXPECT_TRUE(plugin.programs[0].parameter_bits.empty());
            EXPECT_EQ(plugin.programs[0].chunk, c.v < 39 ? Bytes({'o', 'n', 'e'}) : Bytes());
        } else {
            EXPECT_EQ(plugin.programs[0].ParameterValue(0), 0.25f);
            EXPECT_EQ(plugin.programs[1].ParameterValue(0), 0.5f);
            EXPECT_EQ(plugin.programs[0].ParameterValue(1), 1.0f);
        }
        EXPECT_EQ(plugin.midi_assignments,
                  c.v > 41 ? std::vector<int32_t>({7, -1}) : std::vector<int32_t>());
        const Bytes written = StoreStable(plugin);
        if (c.v == kArchiveVersion) {
            EXPECT_EQ(written, VstRecord(c, "C:\\Plugins\\Synth.dll"));
        }
    }
}

TEST(HostedPluginRecord, MalformedCountsAreRefused) {
    const auto head = [](int32_t chunk, int32_t params, int32_t programs) {
        return ArchiveBytes()
            .append(CugRecord(kArchiveVersion))
            .text("x.dll")
            .le32(0)
            .le32(static_cast<uint32_t>(chunk))
            .le32(static_cast<uint32_t>(params))
            .le32(static_cast<uint32_t>(programs))
            .le32(0);
    };
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"negative program count", head(0, 1, -1).le32(0).bytes()},
        {"programs beyond the bytes", head(0, 0, 100000).text("p").le32(0).bytes()},
        {"negative parameter count", head(0, -1, 1).text("p").le32(0).bytes()},
        {"parameters beyond the bytes", head(0, 0x20000000, 1).text("p").le32(0).bytes()},
        {"negative bank chunk size", head(1, 0, 0).le32(0xFFFFFFFF).le32(0).bytes()},
        {"bank chunk beyond the bytes", head(1, 0, 0).le32(1000).le32(0).bytes()},
        {"negative MIDI count", head(0, 0, 0).le32(0xFFFFFFF0).bytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRefused<Ctl_VST_Plugin>(c.bytes, kArchiveVersion);
    }
}

// ---- external module ----

TEST(PluginRecord, UnknownIdentifierFallsBackToThePluginType) {
    test::MessageCapture messages;
    const Bytes bytes =
        ArchiveBytes().append(CugRecord(kArchiveVersion)).text("acme.missing").bytes();
    CPlugin plugin;
    LoadInto(plugin, bytes, kArchiveVersion);
    EXPECT_EQ(plugin.type_id(), "Plugin");
    EXPECT_NE(plugin.type(), nullptr);
    EXPECT_EQ(plugin.plugin_id(), "acme.missing");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Can't load Module. 'acme.missing'"});
    const Bytes written = StoreStable(plugin);
    const Bytes id = ArchiveBytes().text("acme.missing").bytes();
    ASSERT_GE(written.size(), id.size());
    EXPECT_TRUE(std::equal(id.begin(), id.end(), written.end() - static_cast<ptrdiff_t>(id.size())))
        << "the identifier is written back";

    messages.clear();
    CPlugin2 known;
    LoadInto(known,
             ArchiveBytes()
                 .append(CugRecord(kArchiveVersion))
                 .text("Wave Player")
                 .rect(1, 2, 3, 4)
                 .bytes(),
             kArchiveVersion);
    EXPECT_EQ(known.type_id(), "Wave Player");
    EXPECT_EQ(known.panel_rect, (Rect{1, 2, 3, 4}));
    EXPECT_TRUE(messages.texts().empty());
}

}  // namespace
}  // namespace md
