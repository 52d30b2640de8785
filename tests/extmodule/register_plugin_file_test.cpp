#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "document/module_registry.h"
#include "engine/ug_base.h"
#include "extmodule/module_info_plugin.h"
#include "extmodule/module_interface.h"
#include "platform/files.h"
#include "support/message_capture.h"

namespace md {
namespace {

namespace fs = std::filesystem;

const std::string kTwoTypes = MD_FIXTURE_TWO_TYPES_MDM;
const std::string kNoProperties = MD_FIXTURE_NO_PROPERTIES_MDP;

// A fresh folder for one test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        do {
            path_ = fs::temp_directory_path() / ("md-extmodule-" + std::to_string(random()));
        } while (!fs::create_directory(path_));
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

class ExtModuleRegistration : public ::testing::Test {
protected:
    // Registers a library the way the patch loader does: no folder, the file name, the path.
    void Register(const std::string& path) {
        registry.RegisterPluginFile("", platform::FileNamePart(path), path);
    }
    const Module_Info_Plugin* Plugin(const char* id) const {
        return dynamic_cast<const Module_Info_Plugin*>(registry.FindModule(id));
    }

    ModuleRegistry registry{ModuleRegistry::Contents::kEmpty};
    test::MessageCapture messages;
};

TEST_F(ExtModuleRegistration, RegistersEveryTypeTheLibraryOffers) {
    Register(kTwoTypes);
    EXPECT_TRUE(messages.texts().empty());
    ASSERT_EQ(registry.modules().size(), 2u);

    const Module_Info_Plugin* gain = Plugin("FixtureGain");
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(gain->full_path(), kTwoTypes);
    EXPECT_EQ(gain->index(), 0);
    EXPECT_EQ(gain->name(), "Fixture Gain");
    EXPECT_EQ(gain->about(), "Gain stage\nfor tests");
    EXPECT_EQ(gain->unit_flags(), 0x200);
    EXPECT_EQ(gain->flags(), 0x0180);  // the library's registry flags replace the default
    EXPECT_EQ(gain->version(), 2080);
    EXPECT_EQ(gain->legacy_number(), -1);
    EXPECT_EQ(gain->GetDisplayName(), "FixtureGain");
    EXPECT_EQ(gain->doc_class(), "CPlugin");   // no makeModule export
    EXPECT_FALSE(gain->library().IsLoaded());  // loaded again when a module is created

    const Module_Info_Plugin* pan = Plugin("FixturePan");
    ASSERT_NE(pan, nullptr);
    EXPECT_EQ(pan->index(), 1);
    EXPECT_EQ(pan->flags(), kPluginModuleFlags);
    EXPECT_EQ(pan->about(), "");
    EXPECT_EQ(pan->version(), 0);
    EXPECT_EQ(registry.files(), std::vector<std::string>{});
}

TEST_F(ExtModuleRegistration, TheSameFileAgainIsDroppedSilently) {
    Register(kTwoTypes);
    const Module_Info* first = registry.FindModule("FixtureGain");
    Register(kTwoTypes);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(registry.modules().size(), 2u);
    EXPECT_EQ(registry.FindModule("FixtureGain"), first);
}

TEST_F(ExtModuleRegistration, ACopyElsewhereIsReportedAndIgnored) {
    ScratchFolder folder;
    const std::string copy = folder / "two_types_copy.mdm";
    fs::copy_file(kTwoTypes, copy);
    Register(kTwoTypes);
    Register(copy);
    const std::string expected = "Module FOUND TWICE!, only one loaded\n" + copy + "\n" + kTwoTypes;
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{expected, expected}));  // one per type
    EXPECT_EQ(registry.modules().size(), 2u);
    EXPECT_EQ(Plugin("FixtureGain")->full_path(), kTwoTypes);
    EXPECT_EQ(Plugin("FixturePan")->full_path(), kTwoTypes);
}

TEST_F(ExtModuleRegistration, ABuiltInTypeOfTheSameIdWinsWithoutMessage) {
    registry.RegisterModule(
        std::make_unique<Module_Info>("FixturePan", "", 0, 0, nullptr, nullptr, 0, -1));
    Register(kTwoTypes);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(Plugin("FixturePan"), nullptr);
    EXPECT_NE(Plugin("FixtureGain"), nullptr);
}

TEST_F(ExtModuleRegistration, FilesThatDoNotLoadRegisterNothingSilently) {
    ScratchFolder folder;
    const std::string not_a_library = folder / "text.mdm";
    std::ofstream(not_a_library) << "not a library";
    for (const std::string& path :
         {folder / "missing.mdm", folder / "missing.mdp", not_a_library}) {
        Register(path);
    }
    registry.RegisterPluginFile("", "unwritten.mdm", "");  // a file that could not be written
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_TRUE(registry.modules().empty());
    EXPECT_TRUE(registry.files().empty());
}

TEST_F(ExtModuleRegistration, ALibraryWithoutPropertiesExportNamesNoTypeYet) {
    // A first-generation library names its type only through an instance (MOD_GET_ID), and
    // instances are not created yet: it registers nothing and must not leave an empty id.
    Register(kNoProperties);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_TRUE(registry.modules().empty());
}

TEST_F(ExtModuleRegistration, ExtensionsAreCaseSensitive) {
    ScratchFolder folder;
    const std::string upper = folder / "TWO.MDM";
    fs::copy_file(kTwoTypes, upper);
    Register(upper);
    EXPECT_TRUE(registry.modules().empty());
}

TEST(ExtModulePropertiesQuery, AMissingLibraryIsReportedWithItsPath) {
    test::MessageCapture messages;
    const std::string path = "/nonexistent/folder/gone.mdm";
    Module_Info_Plugin info(path, 0);
    ASSERT_EQ(messages.texts().size(), 1u);
    const std::string text = messages.texts()[0];
    EXPECT_TRUE(text.starts_with("Can't load MD Plugin(")) << text;
    EXPECT_TRUE(text.ends_with("). (" + path + ").")) << text;
    EXPECT_GT(text.size(), std::string("Can't load MD Plugin(). (" + path + ").").size()) << text;
    EXPECT_EQ(info.GetId(), "");
    EXPECT_EQ(info.CreateDspObject(), nullptr);
}

TEST(ExtModulePropertiesQuery, ReadsTheRecordOfItsOwnIndex) {
    test::MessageCapture messages;
    const Module_Info_Plugin pan(kTwoTypes, 1);
    EXPECT_EQ(pan.GetId(), "FixturePan");
    EXPECT_EQ(pan.name(), "Fixture Pan");
    const Module_Info_Plugin beyond(kTwoTypes, 2);  // getModuleProperties answers 0 there
    EXPECT_EQ(beyond.GetId(), "");
    EXPECT_TRUE(messages.texts().empty());
}

}  // namespace
}  // namespace md
