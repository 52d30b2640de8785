#include "tools/patch_text/patch_text.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/connect.h"
#include "document/container.h"
#include "document/module_registry.h"
#include "platform/files.h"
#include "support/message_capture.h"
#include "tools/patch_text/builder.h"

namespace md::patch_text {
namespace {

struct Doc {
    ApplicationFiles app;
    PatchDocument doc{app};
};

using Files = std::map<std::string, std::vector<uint8_t>>;

FileLoader LoaderOf(const Files& files) {
    return [&files](const std::string& path) -> std::optional<std::vector<uint8_t>> {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
}

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::unique_ptr<Doc> BuildOrFail(std::string_view text, const FileLoader& load) {
    auto d = std::make_unique<Doc>();
    Error error;
    EXPECT_TRUE(BuildText(text, d->doc, load, &error)) << error.line << ": " << error.message;
    return d;
}

// The document as the archive gives it back.
std::unique_ptr<Doc> Reload(const PatchDocument& doc) {
    auto d = std::make_unique<Doc>();
    LoadOptions options;
    options.plugin_mode = false;
    EXPECT_TRUE(d->doc.LoadFromBytes(doc.Save(), options)) << d->doc.error();
    return d;
}

// Text -> document -> archive -> document -> text.
std::string RoundTrip(std::string_view text, const FileLoader& load,
                      std::vector<OutputFile>* files = nullptr) {
    auto built = BuildOrFail(text, load);
    if (built->doc.root() == nullptr) return {};
    auto loaded = Reload(built->doc);
    return Print(loaded->doc, files);
}

std::string ReadSource(const std::string& relative) {
    const auto bytes = platform::ReadWholeFile(std::string(MD_SOURCE_DIR) + "/" + relative);
    EXPECT_TRUE(bytes) << relative;
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// The code blocks of a Markdown text whose info string is "mdpatch".
std::vector<std::string> PatchBlocks(const std::string& markdown) {
    std::vector<std::string> blocks;
    std::string* open = nullptr;
    size_t pos = 0;
    while (pos < markdown.size()) {
        const size_t end = std::min(markdown.find('\n', pos), markdown.size());
        const std::string line = markdown.substr(pos, end - pos);
        pos = end + 1;
        if (open == nullptr && line == "```mdpatch") {
            open = &blocks.emplace_back();
        } else if (open != nullptr && line == "```") {
            open = nullptr;
        } else if (open != nullptr) {
            *open += line + "\n";
        }
    }
    EXPECT_EQ(open, nullptr) << "unclosed code block";
    return blocks;
}

std::vector<std::string> SampleFiles() {
    std::vector<std::string> out;
    const std::string list = MD_PATCH_TEXT_SAMPLES;
    size_t pos = 0;
    while (pos < list.size()) {
        const size_t end = std::min(list.find('|', pos), list.size());
        if (end > pos) out.push_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

TEST(PatchText, ExamplesAndDocumentedPatchesPrintAsWritten) {
    const Files no_files;
    int checked = 0;
    for (const std::string& file : SampleFiles()) {
        const std::string text = ReadSource(file);
        std::vector<std::string> patches;
        if (platform::ExtensionOf(file) == "md") {
            patches = PatchBlocks(text);
        } else {
            patches.push_back(text);
        }
        for (const std::string& patch : patches) {
            EXPECT_EQ(RoundTrip(patch, LoaderOf(no_files)), patch) << file;
            ++checked;
        }
    }
    EXPECT_GE(checked, 2) << "the examples and the format document hold patch text";
}

// Every kind of statement, in the printer's layout.
constexpr const char* kEverything = R"(plugin_id "Mdt1"
option yes "with \"quotes\" and \\"
can_mono no
panel_size 640 480
vst_flags instrument host_time 0x100
programs 32
vendor "Caf\xe9\tTab"
product "Product"
document_text "Line 1\nLine 2"
document_flag yes
global_flag yes
text2 "two"
text3 "three"
file "Samples\\kick.wav" from "files/kick.wav" size 4 hash 0x44379110
file "other/kick.wav" from "files/kick-2.wav" size 0 hash 0x811c9dc5
skin "Dark" {
  bitmap "knob" width 2 height 3 mode 1 from "skins/Dark/knob.png" size 3 hash 0x6835c29c
  animated "fader" width 10 height 20 segments 4 anim_mode 1 range 0 100 handle 1 2 3 4 frame 5 6 last_frame 7 type 2 padding 1 2 3 4 from "skins/Dark/fader.png" size 0 hash 0x811c9dc5
  font "title" family "Sans" size 12 colour 0xff0000 background 0xffffffff flags 0x3
}

root "Container" title "Everything" panel 0 0 200 100 {
  panel_view 1 2 3 4
  structure_view 5 6 7 8
  panel_scroll 9 10
  structure_scroll -11 12
  container_flags 0x20
  skin "Dark"
  spare_hidden
  current_patch 3
  patch 0 "Init"
  patch 127 "Last"
  module source "FloatToVolts" title "Source" disabled rect 1 2 3 4
  module source_2 "FloatToVolts" title "Source"
  container sub "Container" title "Sub" {
    module io "IO Mod"
    module level "PatchMemFloatIn" title "Level"
    connect io."Volts Out" -> level."Value"
  }
  connect source."Volts Out" -> sub."Spare"
  name sub."Volts Out" "Renamed"
  set self."Polyphony" = "12"
  set source."Smoothing" = "0"
  set source_2."Float In" = "2.5"
  parameter 0 list "Choice" plug source."Smoothing" midi 7
  value 0 1 "-2"
  value 0 127 "32767"
  parameter 1 text "Words" ignore_program_change
  value 1 0 "hello"
  parameter 4 float "Level" plug sub.level."Value"
  value 4 5 "0.100000001"
}
)";

TEST(PatchText, EveryStatementPrintsBackAsWritten) {
    const Files files = {{"files/kick.wav", Bytes("RIFF")},
                         {"files/kick-2.wav", {}},
                         {"skins/Dark/knob.png", Bytes("png")},
                         {"skins/Dark/fader.png", {}}};
    std::vector<OutputFile> written;
    EXPECT_EQ(RoundTrip(kEverything, LoaderOf(files), &written), kEverything);
    // The files the printed text names come with the bytes that rebuild the same patch.
    Files again;
    for (OutputFile& f : written) again[f.path] = std::move(f.data);
    EXPECT_EQ(again, files);
}

TEST(PatchText, ParsesNothingBeyondItsEscapes) {
    Error error;
    const auto patch = Parse("vendor \"\\x41\\\\\\\"\\n\"\nroot \"Container\" {\n}\n", &error);
    ASSERT_TRUE(patch) << error.message;
    EXPECT_EQ(patch->header.vendor_text, "A\\\"\n");
}

struct BadText {
    const char* what;
    const char* text;
    int line;
    const char* message;  // a part of the message
};

const BadText kBadTexts[] = {
    {"unknown statement", "root \"Container\" {\n  modul a \"FloatToVolts\"\n}\n", 2,
     "unknown statement \"modul\""},
    {"unterminated string", "plugin_id \"abc\nroot \"Container\" {\n}\n", 1, "unterminated string"},
    {"unknown escape", "vendor \"a\\qb\"\nroot \"Container\" {\n}\n", 1, "unknown escape"},
    {"block never closed",
     "plugin_id \"x\"\nroot \"Container\" {\n  container c \"Container\" {\n  }\n", 2,
     "not closed"},
    {"closing brace without block", "root \"Container\" {\n}\n}\n", 3, "without a block"},
    {"no root", "plugin_id \"x\"\n", 0, "no root"},
    {"plug reference without plug",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  connect a -> a.\"Float In\"\n}\n", 3,
     "expected '.'"},
    {"module given twice",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  module a \"FloatToVolts\"\n}\n", 3,
     "given twice"},
    {"value before its parameter", "root \"Container\" {\n  value 3 0 \"1\"\n}\n", 2,
     "no parameter 3"},
    {"patch number out of range", "root \"Container\" {\n  patch 128 \"x\"\n}\n", 2, "0 to 127"},
    {"module with a block", "root \"Container\" {\n  module a \"FloatToVolts\" {\n  }\n}\n", 2,
     "use \"container\""},
    {"statement after the root", "root \"Container\" {\n}\nplugin_id \"x\"\n", 3, "after the root"},
};

TEST(PatchText, SyntaxErrorsNameTheirLine) {
    for (const BadText& c : kBadTexts) {
        Error error;
        EXPECT_FALSE(Parse(c.text, &error)) << c.what;
        EXPECT_EQ(error.line, c.line) << c.what << ": " << error.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos)
            << c.what << ": " << error.message;
    }
}

const BadText kBadPatches[] = {
    {"unknown module type",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  module b \"No Such Type\"\n}\n", 3,
     "unknown module type \"No Such Type\""},
    {"unknown plug name",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  module b \"FloatToVolts\"\n"
     "  connect a.\"Volts Out\" -> b.\"Nope\"\n}\n",
     4, "module \"b\" has no plug \"Nope\""},
    {"plug index out of range",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  set a.#3 = \"1\"\n}\n", 3,
     "has no plug #3 (it has 3)"},
    {"unknown module", "root \"Container\" {\n  module a \"FloatToVolts\"\n  set b.#0 = \"1\"\n}\n",
     3, "unknown module \"b\""},
    {"path through a module",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  set a.b.#0 = \"1\"\n}\n", 3,
     "\"a\" is not a container"},
    {"refused connection",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  module b \"FloatToVolts\"\n"
     "  connect a.\"Volts Out\" -> b.\"Volts Out\"\n}\n",
     4, "An output must go to an input"},
    {"connection into a nested container",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  container c \"Container\" {\n"
     "    module b \"FloatToVolts\"\n  }\n  connect a.\"Volts Out\" -> c.b.\"Float In\"\n}\n",
     6, "inside this container"},
    {"container of a module type",
     "root \"Container\" {\n  container c \"FloatToVolts\" {\n  }\n}\n", 2,
     "is not a container type"},
    {"rename of a plug without a name of its own",
     "root \"Container\" {\n  module a \"FloatToVolts\"\n  name a.\"Float In\" \"x\"\n}\n", 3,
     "can't be renamed"},
    {"list value out of range",
     "root \"Container\" {\n  parameter 0 list \"L\"\n  value 0 1 \"40000\"\n}\n", 2,
     "not a whole number"},
    {"float value not a number",
     "root \"Container\" {\n  parameter 0 float \"F\"\n  value 0 1 \"1.5x\"\n}\n", 2,
     "not a number"},
    {"missing file", "file \"a.wav\" from \"missing.wav\"\nroot \"Container\" {\n}\n", 1,
     "can't read \"missing.wav\""},
    {"file of another size", "file \"a.txt\" from \"a.txt\" size 4\nroot \"Container\" {\n}\n", 1,
     "has 3 bytes, not 4"},
    {"file of another hash",
     "plugin_id \"x\"\nfile \"a.txt\" from \"a.txt\" hash 0x1\nroot \"Container\" {\n}\n", 2,
     "doesn't match its hash"},
};

TEST(PatchText, BuildErrorsNameTheirLine) {
    const Files files = {{"a.txt", Bytes("abc")}};
    for (const BadText& c : kBadPatches) {
        Doc d;
        Error error;
        EXPECT_FALSE(BuildText(c.text, d.doc, LoaderOf(files), &error)) << c.what;
        EXPECT_EQ(error.line, c.line) << c.what << ": " << error.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos)
            << c.what << ": " << error.message;
    }
}

std::vector<CPlugIO2*> IoPlugs(const CUG& m) {
    std::vector<CPlugIO2*> out;
    for (const auto& p : m.plugs()) {
        if (auto* io = dynamic_cast<CPlugIO2*>(p.get())) out.push_back(io);
    }
    return out;
}

CUG* Child(const CContainer& c, size_t i) {
    return c.Modules().at(i);
}

TEST(PatchText, ConnectionsThroughASpareMakeThePartnerCopies) {
    for (int outside = 1; outside <= 3; ++outside) {
        std::string text =
            "root \"Container\" {\n"
            "  container sub \"Container\" {\n"
            "    module io \"IO Mod\"\n"
            "    module inner \"FloatToVolts\"\n"
            "    connect io.\"Volts Out\" -> inner.\"Float In\"\n"
            "  }\n";
        for (int i = 0; i < outside; ++i) {
            text += "  module m" + std::to_string(i) + " \"FloatToVolts\"\n";
            text += "  connect m" + std::to_string(i) + ".\"Volts Out\" -> sub.\"Spare\"\n";
        }
        text += "}\n";
        auto built = BuildOrFail(text, {});
        ASSERT_NE(built->doc.root(), nullptr);
        auto reloaded = Reload(built->doc);
        ASSERT_NE(reloaded->doc.root(), nullptr);
        for (const Doc* d : {built.get(), reloaded.get()}) {
            auto* sub = dynamic_cast<CContainer*>(Child(*d->doc.root(), 0));
            ASSERT_NE(sub, nullptr);
            CUG* io = Child(*sub, 0);
            CUG* inner = Child(*sub, 1);
            const auto outer_plugs = IoPlugs(*sub);
            const auto inner_plugs = IoPlugs(*io);
            // One pair per connection and one free pair.
            ASSERT_EQ(outer_plugs.size(), static_cast<size_t>(outside + 1)) << outside;
            ASSERT_EQ(inner_plugs.size(), static_cast<size_t>(outside + 1)) << outside;
            for (size_t i = 0; i < outer_plugs.size(); ++i) {
                EXPECT_EQ(outer_plugs[i]->partner(), inner_plugs[i]) << i;
                EXPECT_EQ(inner_plugs[i]->partner(), outer_plugs[i]) << i;
                EXPECT_EQ(outer_plugs[i]->HasConnections(), i + 1 < outer_plugs.size()) << i;
            }
            // The inner connection found the pin by the name it took from outside.
            EXPECT_EQ(outer_plugs[0]->GetName(), "Volts Out");
            ASSERT_EQ(inner_plugs[0]->connections().size(), 1u);
            EXPECT_EQ(inner_plugs[0]->OtherEnd(*inner_plugs[0]->connections()[0]),
                      inner->FindPlug("Float In"));
            EXPECT_FALSE(inner_plugs[1]->HasConnections());
        }
    }
}

TEST(PatchText, AContainerWiredWithoutAnIoModuleGetsOne) {
    const std::string text =
        "root \"Container\" {\n"
        "  container sub \"Container\" title \"Sub\" {\n"
        "    module x \"FloatToVolts\" title \"X\"\n"
        "    connect io.\"Volts Out\" -> x.\"Float In\"\n"
        "  }\n"
        "  module src \"FloatToVolts\" title \"Src\"\n"
        "  connect src.\"Volts Out\" -> sub.\"Spare\"\n"
        "}\n";
    std::string printed = text;
    printed.insert(printed.find("    connect io"), "    module io \"IO Mod\" rect 20 20 40 40\n");
    EXPECT_EQ(RoundTrip(text, {}), printed);
    EXPECT_EQ(RoundTrip(printed, {}), printed);
}

// Every module, plug and connection of a container tree, for comparing documents.
std::string Shape(const CContainer& c) {
    std::string out = "[" + c.type_id() + " " + c.title();
    auto plug_index = [](const CUG& m, const CPlug2* p) {
        for (size_t i = 0; i < m.plugs().size(); ++i) {
            if (m.plugs()[i].get() == p) return static_cast<int>(i);
        }
        return -1;
    };
    auto plugs = [&](const CUG& m) {
        for (const auto& p : m.plugs()) {
            out += " (" + p->GetName() + "=" + p->value();
            if (const CPlug2* partner = p->Partner()) {
                out += " partner " + std::to_string(plug_index(*partner->owner(), partner));
            }
            out += ")";
        }
    };
    plugs(c);
    const std::vector<CUG*> modules = c.Modules();
    auto module_index = [&](const CUG* m) {
        for (size_t i = 0; i < modules.size(); ++i) {
            if (modules[i] == m) return static_cast<int>(i);
        }
        return -1;
    };
    for (const CUG* m : modules) {
        if (const auto* sub = dynamic_cast<const CContainer*>(m)) {
            out += " " + Shape(*sub);
            continue;
        }
        out += " {" + m->type_id() + " " + m->title();
        plugs(*m);
        out += "}";
    }
    for (const auto& child : c.children()) {
        if (const auto* line = dynamic_cast<const CLine2*>(child.get())) {
            out += " " + std::to_string(module_index(line->from()->owner())) + "." +
                   std::to_string(plug_index(*line->from()->owner(), line->from())) + "->" +
                   std::to_string(module_index(line->to()->owner())) + "." +
                   std::to_string(plug_index(*line->to()->owner(), line->to()));
        }
    }
    return out + "]";
}

template <class T = CUG>
T* Add(CContainer& parent, const char* type) {
    auto* made = dynamic_cast<T*>(parent.AddChild(Registry().CreateDocObject(type)));
    EXPECT_NE(made, nullptr) << type;
    return made;
}

// A patch wired in an order the text doesn't use: inside before outside, one pin used only
// outside and the next only inside, an extra free pin.
TEST(PatchText, EditorOrderedWiringPrintsStablyAndRebuildsTheSameTree) {
    Doc original;
    {
        auto root_object = Registry().CreateDocObject("Container");
        auto* root = dynamic_cast<CContainer*>(root_object.get());
        ASSERT_NE(root, nullptr);
        root_object.release();
        original.doc.set_root(std::unique_ptr<CContainer>(root));
        CUG* src = Add(*root, "FloatToVolts");
        auto* sub = Add<CContainer>(*root, "Container");
        CUG* dst = Add(*root, "FloatToVolts");
        CUG* io = sub->FindIoModule();
        ASSERT_NE(io, nullptr);
        LinkIoPlugs(*sub, *io);
        CUG* x = Add(*sub, "FloatToVolts");
        CUG* y = Add(*sub, "FloatToVolts");
        x->set_title("X");
        y->set_title("Y");
        // Pin 0: inside first, then outside.
        ASSERT_NE(Connect(*x->FindPlug("Volts Out"), *IoPlugs(*io)[0]), nullptr);
        ASSERT_NE(Connect(*IoPlugs(*sub)[0], *dst->FindPlug("Float In")), nullptr);
        // Pin 1 outside only, pin 2 inside only.
        ASSERT_NE(Connect(*src->FindPlug("Volts Out"), *IoPlugs(*sub)[1]), nullptr);
        ASSERT_NE(Connect(*IoPlugs(*io)[2], *y->FindPlug("Float In")), nullptr);
        // A second free pin.
        std::unique_ptr<CPlug2> copy = IoPlugs(*sub)[3]->MakeCopy();
        auto* extra = dynamic_cast<CPlugIO2*>(sub->AddPlug(std::move(copy)));
        auto* extra_inner = dynamic_cast<CPlugIO2*>(io->AddPlug(IoPlugs(*io)[3]->MakeCopy()));
        ASSERT_TRUE(extra != nullptr && extra_inner != nullptr);
        extra->set_partner(extra_inner);
        extra_inner->set_partner(extra);
        src->FindPlug("Smoothing")->set_value("1");
    }
    auto loaded = Reload(original.doc);
    const std::string text = Print(loaded->doc);
    EXPECT_EQ(text.find("# "), std::string::npos) << "no notes expected:\n" << text;
    auto rebuilt = BuildOrFail(text, {});
    ASSERT_NE(rebuilt->doc.root(), nullptr) << text;
    auto reloaded = Reload(rebuilt->doc);
    EXPECT_EQ(Print(reloaded->doc), text);
    EXPECT_EQ(Shape(*reloaded->doc.root()), Shape(*loaded->doc.root())) << text;
}

TEST(PatchText, PrintNotesWhatTheTextCantHold) {
    Doc d;
    auto root_object = Registry().CreateDocObject("Container");
    auto* root = dynamic_cast<CContainer*>(root_object.get());
    ASSERT_NE(root, nullptr);
    root_object.release();
    d.doc.set_root(std::unique_ptr<CContainer>(root));
    CUG* a = Add(*root, "FloatToVolts");
    // A plug with no descriptor behind it can't be made by any statement.
    a->AddPlug(std::make_unique<CPlug2>(int16_t{-1}, "v"));
    const std::string text = Print(d.doc);
    EXPECT_NE(text.find("# module floattovolts: plug #3 is not rebuilt"), std::string::npos)
        << text;
}

}  // namespace
}  // namespace md::patch_text
