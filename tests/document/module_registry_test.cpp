#include "document/module_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/module_info.h"
#include "document/module_record.h"
#include "platform/files.h"
#include "support/message_capture.h"

namespace md {
namespace {

std::unique_ptr<Module_Info> PlainType(const std::string& id, int32_t name_number = 0) {
    return std::make_unique<Module_Info>(id, "", name_number, 0, nullptr, nullptr, 0x0100, -1);
}

TEST(RegistryFindModule, ResolvesIdsAndLegacyNumbers) {
    struct Case {
        const char* id;
        const char* found;  // null: nothing
    };
    const Case cases[] = {
        {"ADSR", "ADSR"},
        {"adsr", nullptr},  // ids are case-sensitive
        {"BI5", "Slider"},
        {"BI0", "Oscillator"},
        {"BI10", nullptr},  // the legacy placeholder
        {"BI120", "Control Group"},
        {"BI999", nullptr},
        {"BIx", "Oscillator"},  // no digits read as 0
        {"BI", "Oscillator"},
        {"BI 2", "ADSR"},  // leading blanks and a sign are allowed
        {"BI+44", "Step Sequencer"},
        {"BI5x", "Slider"},
        {"bi5", nullptr},
        {"", nullptr},
    };
    const ModuleRegistry& registry = Registry();
    for (const Case& c : cases) {
        const Module_Info* info = registry.FindModule(c.id);
        if (c.found == nullptr) {
            EXPECT_EQ(info, nullptr) << c.id;
        } else {
            ASSERT_NE(info, nullptr) << c.id;
            EXPECT_EQ(info->GetId(), c.found) << c.id;
        }
    }
}

TEST(RegistryRegisterModule, KeepsTheFirstOfTwoEqualIds) {
    ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
    test::MessageCapture messages;
    EXPECT_TRUE(registry.RegisterModule(PlainType("Dup", 1)));
    EXPECT_TRUE(registry.RegisterModule(PlainType("Dup", 2)));
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"RegisterModule Error. Module found twice. Dup"});
    ASSERT_EQ(registry.modules().size(), 1u);
    EXPECT_EQ(registry.FindModule("Dup")->name_number(), 1);
}

TEST(RegistryRegisterModule, RefusesAnEmptyId) {
    ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
    test::MessageCapture messages;
    EXPECT_FALSE(registry.RegisterModule(PlainType("")));
    EXPECT_FALSE(registry.RegisterModule(nullptr));
    EXPECT_TRUE(registry.modules().empty());
    EXPECT_TRUE(messages.texts().empty());
}

TEST(RegistryRegisterModule, OrdersIdsByteWise) {
    ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
    for (const char* id : {"b", "B", "a", "\xe9t\xe9", "A b", "Ab"}) {
        registry.RegisterModule(PlainType(id));
    }
    std::vector<std::string> order;
    for (const auto& entry : registry.modules()) order.push_back(entry.first);
    EXPECT_EQ(order, (std::vector<std::string>{"A b", "Ab", "B", "a", "b", "\xe9t\xe9"}));
}

TEST(RegistryBuiltInTypes, HaveTheExpectedShape) {
    test::MessageCapture messages;  // a fresh built-in registry reports no duplicate id
    const ModuleRegistry registry;
    EXPECT_TRUE(messages.texts().empty());
    ASSERT_EQ(registry.modules().size(), 137u);

    int legacy = 0, individual = 0, record = 0;
    std::set<int32_t> legacy_numbers;
    for (const auto& [id, info] : registry.modules()) {
        EXPECT_EQ(id, info->GetId());
        if ((info->flags() & module_flag::kBuiltIn) == 0) {
            ++record;
            EXPECT_EQ(info->legacy_number(), -1) << id;
        } else if (info->legacy_number() >= 1 && info->legacy_number() <= kLegacyModuleCount) {
            ++legacy;
        } else {
            ++individual;
        }
        if (info->legacy_number() != -1) {
            EXPECT_TRUE(legacy_numbers.insert(info->legacy_number()).second)
                << "legacy number " << info->legacy_number() << " used twice";
        }
    }
    EXPECT_EQ(legacy, 43);
    EXPECT_EQ(individual, 90);
    EXPECT_EQ(record, 4);
    EXPECT_EQ(legacy_numbers.count(10), 0u);
}

TEST(RegistryBuiltInTypes, SpotChecks) {
    struct Row {
        const char* id;
        int32_t legacy;
        int32_t name;
        int32_t group;
        int32_t flags;
        const char* doc_class;
        const char* dsp_class;
    };
    const Row rows[] = {
        {"Audio Out", 1, 0, 0, 0x1108, "CUG", "ug_wave_out"},
        {"Container", 3, 0, 0, 0x1103, "CContainer", "ug_container"},
        {"Panel Group", 35, 0, 0, 0x1080, "CPanelBox2", ""},
        {"Soundfont Player", 86, 486, 292, 0x11e0, "Ctl_SamplePlay2", "ug_sample_player2"},
        {"NOR Gate", 57, 357, 325, 0x1100, "CUG", "ug_logic_NOR"},
        {"Trigger to MIDI", 126, 484, 292, 0x1100, "CUG", "ug_cv_midi"},
        {"Sub Panel", 102, 502, 32828, 0x1080, "CPortal", ""},
        {"Image", -1, 32826, 131, 0x1180, "control_ob_bitmap", ""},
        {"Text To Float", -1, 32841, 131, 0x1100, "ui_text_to_float", ""},
        {"PatchMemListIn_B", -1, 196, 131, 0x0100, "ui_param_enum_in_B", ""},
        {"FloatToVolts", -1, 141, 299, 0x0100, "CUG", "ug_float_to_volts"},
    };
    const ModuleRegistry& registry = Registry();
    for (const Row& r : rows) {
        const Module_Info* info = registry.FindModule(r.id);
        ASSERT_NE(info, nullptr) << r.id;
        EXPECT_EQ(info->legacy_number(), r.legacy) << r.id;
        EXPECT_EQ(info->name_number(), r.name) << r.id;
        EXPECT_EQ(info->group_number(), r.group) << r.id;
        EXPECT_EQ(info->flags(), r.flags) << r.id;
        EXPECT_EQ(info->doc_class(), r.doc_class) << r.id;
        EXPECT_EQ(info->dsp_class(), r.dsp_class) << r.id;
        EXPECT_TRUE(info->extra_text1().empty() && info->extra_text2().empty()) << r.id;
    }
}

TEST(RegistryBuiltInTypes, LegacyTableStaysAvailable) {
    const auto table = LegacyModuleTable();
    ASSERT_EQ(table.size(), static_cast<size_t>(kLegacyModuleCount) + 1);
    EXPECT_STREQ(table[0].id, "");
    EXPECT_STREQ(table[10].id, "");
    EXPECT_STREQ(table[5].id, "Slider");
    EXPECT_STREQ(table[kLegacyModuleCount].id, "Step Sequencer");
}

TEST(RegistryRecordTypes, ListTheirPlugsFromTheRecords) {
    struct Plug {
        const char* name;
        Direction direction;
        DataType type;
        int32_t flags;
    };
    const ModuleRegistry& registry = Registry();
    const std::pair<const char*, std::vector<Plug>> types[] = {
        {"FloatToVolts",
         {{"Smoothing", DR_IN, PT_ENUM, 0},
          {"Float In", DR_IN, PT_FLOAT, 0},
          {"Volts Out", DR_OUT, PT_AUDIO, 0}}},
        {"PatchMemFloatIn",
         {{"Name", DR_IN, PT_TEXT, 0x0400},
          {"Value", DR_IN, PT_FLOAT, 0x8400},
          {"Animation Position", DR_IN, PT_FLOAT, 0x0400},
          {"Min Value", DR_IN, PT_FLOAT, 0x0400},
          {"Max Value", DR_IN, PT_FLOAT, 0x0400},
          {"Value Out", DR_OUT, PT_FLOAT, 0}}},
        {"PatchMemListIn_B",
         {{"Name", DR_IN, PT_TEXT, 0x0400},
          {"Value", DR_IN, PT_ENUM, 0x0400},
          {"List Out", DR_OUT, PT_ENUM, 0x0400}}},
    };
    for (const auto& [id, expected] : types) {
        const Module_Info* info = registry.FindModule(id);
        ASSERT_NE(info, nullptr) << id;
        ASSERT_EQ(info->plugs().size(), expected.size()) << id;
        for (size_t i = 0; i < expected.size(); ++i) {
            const InterfaceObject& plug = info->plugs()[i];
            EXPECT_EQ(plug.name, expected[i].name) << id << " plug " << i;
            EXPECT_EQ(plug.direction, expected[i].direction) << id << " plug " << i;
            EXPECT_EQ(plug.data_type, expected[i].type) << id << " plug " << i;
            EXPECT_EQ(plug.flags, expected[i].flags) << id << " plug " << i;
            EXPECT_EQ(plug.variable, nullptr);
        }
    }
    const InterfaceObject& smoothing = registry.FindModule("FloatToVolts")->plugs()[0];
    EXPECT_EQ(smoothing.default_value, "2");
    EXPECT_EQ(smoothing.meta, "None,Fast (4 samp),Smooth (30ms)");
    EXPECT_EQ(registry.FindModule("PatchMemFloatIn")->plugs()[1].default_value, "");
}

TEST(RegistryRecordTypes, ConvertPlugRecordFields) {
    // Audio inputs get 0x0001 unless listed with 0x0001 or 0x0200; texts are string numbers
    // (0: empty) or UTF-16.
    const PlugRecord plugs[] = {
        {PlugString(u"In"), DR_IN, PT_AUDIO, 0, 0, 0},
        {PlugString(u"X-In"), DR_IN, PT_AUDIO, 0, 0, 0x0200},
        {PlugString(u"Out"), DR_OUT, PT_AUDIO, 0, 0, 0},
        {32821, DR_IN, PT_ENUM, PlugString(u"1"), PlugString(u"Caf\u00e9,\u4e2d"), 0x0002},
        {494, DR_CONTAINER_IO, PT_MIDI, 12345, 0, 0},
    };
    const ModuleRecord record{"Rec", 32821, 32820, nullptr, nullptr, 0x0080, plugs, "CUG", ""};
    ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
    ASSERT_TRUE(RegisterModuleRecord(registry, record));
    const Module_Info* info = registry.FindModule("Rec");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->flags(), 0x0080);  // as stored, no built-in bit
    EXPECT_EQ(info->legacy_number(), -1);
    EXPECT_EQ(info->GetDisplayName(), "ADSR");
    ASSERT_EQ(info->plugs().size(), 5u);
    EXPECT_EQ(info->plugs()[0].flags, 0x0001);
    EXPECT_EQ(info->plugs()[1].flags, 0x0200);
    EXPECT_EQ(info->plugs()[2].flags, 0);
    EXPECT_EQ(info->plugs()[3].name, "ADSR");
    EXPECT_EQ(info->plugs()[3].default_value, "1");
    EXPECT_EQ(info->plugs()[3].meta, "Caf\xe9,?");
    EXPECT_EQ(info->plugs()[3].flags, 0x0002);
    EXPECT_EQ(info->plugs()[4].name, "VST Input");
    EXPECT_EQ(info->plugs()[4].default_value, "");  // a number the string table lacks
    EXPECT_EQ(info->plugs()[4].direction, DR_CONTAINER_IO);
    for (const InterfaceObject& plug : info->plugs()) EXPECT_TRUE(plug.hint.empty());
}

TEST(RegistryFiles, ListPatchAndLibraryFilesOnly) {
    struct Case {
        const char* folder;
        const char* name;
        const char* listed;  // null: not listed
    };
    const std::string joined = std::string("/data") + platform::kPathSeparator + "Plug.dll";
    const Case cases[] = {
        {"", "Song.md1", "Song.md1"},
        {"/data", "Plug.dll", joined.c_str()},
        {"C:\\data\\", "Plug.dll", "C:\\data\\Plug.dll"},
        {"/data/", "Other.dll", "/data/Other.dll"},
        {"", "Plug.DLL", nullptr},  // extensions are compared case-sensitively
        {"", "Kick.wav", nullptr},
        {"", "dll", nullptr},
    };
    for (const Case& c : cases) {
        ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
        registry.RegisterPluginFile(c.folder, c.name, "/nowhere/x");
        if (c.listed == nullptr) {
            EXPECT_TRUE(registry.files().empty()) << c.name;
        } else {
            EXPECT_EQ(registry.files(), std::vector<std::string>{c.listed}) << c.name;
        }
        EXPECT_TRUE(registry.modules().empty());
    }
}

TEST(RegistryFileTypes, AllGiveTheDataFolder) {
    ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
    registry.SetDataFolder("/plugins/Synth/");
    const char* const extensions[] = {"*",   "wav", "md1", "mid", "sf2", "dll",
                                      "fxb", "fxp", "bmp", "png", "*",   ""};
    const auto& types = registry.file_types();
    for (size_t i = 0; i < kFileTypeCount; ++i) {
        EXPECT_EQ(types[i].extension, extensions[i]) << i;
        EXPECT_EQ(types[i].folder, "/plugins/Synth/") << i;
    }
    EXPECT_EQ(types[2].description, "Modara Files");
    EXPECT_EQ(types[10].description, "Embeddable Files");
    EXPECT_EQ(registry.FolderFor("dll"), "/plugins/Synth/");
    EXPECT_EQ(registry.FolderFor("xyz"), "/plugins/Synth/");
}

TEST(RegistryFileTypes, DataFolderIsBesideTheRunningProgram) {
    // The code runs inside md_tests here, so the folder is named after it.
    ModuleRegistry registry(ModuleRegistry::Contents::kEmpty);
    const std::string folder = registry.DataFolder();
    const std::string expected_tail = std::string("md_tests") + platform::kPathSeparator;
    ASSERT_GE(folder.size(), expected_tail.size());
    EXPECT_EQ(folder.substr(folder.size() - expected_tail.size()), expected_tail);
    EXPECT_EQ(registry.file_types()[5].folder, folder);
}

}  // namespace
}  // namespace md
