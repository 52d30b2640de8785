#include "parameters/patch_manager.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/plug.h"
#include "parameters/patch_parameter.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/record_io.h"

namespace md {
namespace {

using test::ArchiveBytes;
using test::Bytes;
using test::LoadInto;
using test::Loose;
using test::Store;

uint32_t FloatBits(float x) {
    return std::bit_cast<uint32_t>(x);
}

// The parameter fields before the data type, as stored at version v.
void AppendParameterHead(ArchiveBytes& b, int32_t v, int32_t handle, const Bytes& plug,
                         const std::string& name) {
    b.le32(static_cast<uint32_t>(handle));
    if (v > 95310) b.append(plug);
    if (v > 95390) b.text(name);
    if (v > 95400) b.u8(1).le32(64);
}

// Current patch 3, names of patches 0 and 5 (and one of patch 200, dropped), then from 95311:
// a list parameter (handle 4, values 0, 1, ... 127) tied to a new plug, and a float parameter
// (handle 9, values 0.5 * n) tied to the same plug.
Bytes ManagerRecord(int32_t v, bool with_dropped_name) {
    ArchiveBytes b;
    b.le32(3).le32(with_dropped_name ? 3 : 2);
    b.le32(0).text("Init");
    if (with_dropped_name) b.le32(200).text("Nowhere");
    b.le32(5).text("Bass");
    if (v < 95311) return b.bytes();
    if (v < 95321) b.le32(2);

    CPlug2 plug(1, "0");
    const Bytes new_plug = ArchiveBytes().new_class("CPlug2", 2).append(Store(plug)).bytes();
    b.le32(0);
    AppendParameterHead(b, v, 4, new_plug, "Cutoff");
    b.le32(0).le32(128);  // data type, value count
    for (int i = 0; i < 128; ++i) b.le16(static_cast<uint16_t>(i));
    b.le32(5);
    AppendParameterHead(b, v, 9, ArchiveBytes().object_ref(2).bytes(), "Level");
    b.le32(6).le32(128);
    for (int i = 0; i < 128; ++i) b.le32(FloatBits(0.5f * i));
    if (v >= 95321) b.le32(0xFFFFFFFF);
    return b.bytes();
}

TEST(PatchManagerRecord, FieldsByVersion) {
    for (int32_t v : {95310, 95311, 95320, 95321, 95390, 95391, 95400, 95401, kArchiveVersion}) {
        SCOPED_TRACE(v);
        CPatchManager pm;
        Loose loose;
        LoadInto(pm, ManagerRecord(v, true), v, &loose);
        EXPECT_EQ(pm.current_patch(), 3);
        EXPECT_EQ(pm.GetPatchName(-1), "Patch   4");
        EXPECT_EQ(pm.GetPatchName(0), "Init");
        EXPECT_EQ(pm.GetPatchName(5), "Bass");
        EXPECT_EQ(pm.patch_names().size(), 2u) << "the name of patch 200 is dropped";
        // Written back the same way, less the dropped name.
        EXPECT_EQ(Store(pm, v), ManagerRecord(v, false));

        if (v < 95311) {
            EXPECT_TRUE(pm.parameters().empty());
            continue;
        }
        ASSERT_EQ(pm.parameters().size(), 2u);
        auto* list = dynamic_cast<PatchParameter_list*>(pm.parameters().at(4).get());
        auto* level = dynamic_cast<PatchParameter_float*>(pm.parameters().at(9).get());
        ASSERT_NE(list, nullptr);
        ASSERT_NE(level, nullptr);
        ASSERT_NE(list->plug, nullptr);
        EXPECT_EQ(list->plug->value(), "0");
        EXPECT_EQ(level->plug, list->plug);
        EXPECT_EQ(list->value(127), 127);
        EXPECT_EQ(level->value(3), 1.5f);
        EXPECT_EQ(list->name, v > 95390 ? "Cutoff" : "");
        EXPECT_EQ(list->ignore_program_change, v > 95400);
        EXPECT_EQ(list->midi_controller, v > 95400 ? 64 : -1);
    }
}

TEST(PatchManagerRecord, CountedParameterListAlsoEndsAtANegativeTypeId) {
    ArchiveBytes b;
    b.le32(0).le32(0).le32(5);  // current, no names, count 5
    b.le32(1).le32(0).null().le32(1).le32(1).text("hello");
    b.le32(0xFFFFFFFF);
    CPatchManager pm;
    LoadInto(pm, b.bytes(), 95311);
    ASSERT_EQ(pm.parameters().size(), 1u);
    auto* text = dynamic_cast<PatchParameter_text*>(pm.parameters().at(0).get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->value(0), "hello");
    EXPECT_EQ(text->value(1), "") << "patches without a stored value keep the zero value";
}

TEST(PatchManagerRecord, ValuesPast128AreDropped) {
    ArchiveBytes b;
    b.le32(0).le32(0).le32(0).le32(0).null().text("").u8(0).le32(0xFFFFFFFF).le32(0).le32(130);
    for (int i = 0; i < 130; ++i) b.le16(static_cast<uint16_t>(i + 1));
    b.le32(0xFFFFFFFF);
    CPatchManager pm;
    LoadInto(pm, b.bytes(), kArchiveVersion);
    const auto& list = dynamic_cast<const PatchParameter_list&>(*pm.parameters().at(0));
    EXPECT_EQ(list.value(127), 128);
    EXPECT_EQ(Store(pm).size(), b.size() - 4) << "two values fewer";
}

TEST(PatchManagerRecord, HandlesInUseOrNegativeGetTheSmallestFreeOne) {
    ArchiveBytes b;
    b.le32(0).le32(0);
    for (int32_t handle : {2, 2, -1, 0, 7}) {
        b.le32(0).le32(static_cast<uint32_t>(handle)).null().text("h" + std::to_string(handle));
        b.u8(0).le32(0xFFFFFFFF).le32(0).le32(0);
    }
    b.le32(0xFFFFFFFF);
    CPatchManager pm;
    LoadInto(pm, b.bytes(), kArchiveVersion);
    std::vector<std::string> by_handle;
    for (const auto& [handle, p] : pm.parameters()) {
        EXPECT_EQ(p->handle(), handle);
        by_handle.push_back(std::to_string(handle) + ":" + p->name);
    }
    EXPECT_EQ(by_handle, (std::vector<std::string>{"0:h2", "1:h-1", "2:h2", "3:h0", "7:h7"}));
}

TEST(PatchManagerRecord, MalformedRecordsAreRefused) {
    const auto parameter = [](uint32_t type_id, uint32_t value_count) {
        return ArchiveBytes()
            .le32(0)
            .le32(0)
            .le32(type_id)
            .le32(0)
            .null()
            .text("")
            .u8(0)
            .le32(0)
            .le32(0)
            .le32(value_count);
    };
    const struct {
        const char* name;
        Bytes bytes;
        int32_t v;
    } cases[] = {
        {"negative name count", ArchiveBytes().le32(0).le32(0xFFFFFFFF).bytes(), kArchiveVersion},
        {"names beyond the bytes", ArchiveBytes().le32(0).le32(1000).le32(0).text("a").bytes(),
         kArchiveVersion},
        {"negative parameter count", ArchiveBytes().le32(0).le32(0).le32(0xFFFFFFFF).bytes(),
         95311},
        {"unknown type id", parameter(2, 0).le32(0xFFFFFFFF).bytes(), kArchiveVersion},
        {"negative value count", parameter(0, 0xFFFFFFFF).bytes(), kArchiveVersion},
        {"values beyond the bytes", parameter(5, 100).le32(0).bytes(), kArchiveVersion},
        {"no end of the list", parameter(1, 0).bytes(), kArchiveVersion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ExpectRefused<CPatchManager>(c.bytes, c.v);
    }
}

TEST(PatchManager, PatchNamesAndCurrentPatch) {
    CPatchManager pm;
    EXPECT_EQ(pm.GetPatchName(0), "Patch   1");
    EXPECT_EQ(pm.GetPatchName(127), "Patch 128");
    pm.SetCurrentPatch(12);
    EXPECT_EQ(pm.current_patch(), 12);
    pm.SetCurrentPatch(128);
    pm.SetCurrentPatch(-1);
    EXPECT_EQ(pm.current_patch(), 12) << "patches outside 0..127 are not selected";
    pm.SetPatchName("Strings", -1);
    EXPECT_EQ(pm.GetPatchName(12), "Strings");
    pm.SetPatchName("None", 128);
    EXPECT_EQ(pm.patch_names().size(), 1u);
}

}  // namespace
}  // namespace md
