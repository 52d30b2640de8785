#include "platform/module_path.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/shared_library.h"

namespace md::platform {
namespace {

using PathFunction = const char* (*)();

TEST(PlatformModulePath, NamesTheLibraryTheCallingCodeLivesIn) {
    const SharedLibrary library = SharedLibrary::Load(MD_PLATFORM_FIXTURE_PATH);
    ASSERT_TRUE(library.IsLoaded()) << library.error();
    const auto fixture_path = library.Function<PathFunction>("md_fixture_module_path");
    ASSERT_NE(fixture_path, nullptr);
    EXPECT_EQ(std::string(fixture_path()), MD_PLATFORM_FIXTURE_PATH);

    // The same function linked into the test program names the program instead.
    const std::string own = OwnModulePath();
    EXPECT_TRUE(IsAbsolutePath(own)) << own;
    EXPECT_TRUE(FileExists(own)) << own;
    EXPECT_EQ(FileNamePart(own), "md_tests");
}

TEST(PlatformModulePath, DataFolderIsNamedAfterTheLibrary) {
    const std::string sep(1, kPathSeparator);
    const struct {
        std::string_view library;
        std::string expected;
    } cases[] = {
        {"/plugins/Synth.so", "/plugins/Synth/"},
        {"C:\\Plugins\\Synth.dll", "C:\\Plugins\\Synth\\"},
        {"/p/my.synth.so", "/p/my.synth/"},
        {"/p/NoExtension", "/p/NoExtension/"},
        {"Synth.so", "Synth" + sep},
        {"/plugins/", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DataFolderFor(c.library), c.expected) << c.library;
}

TEST(PlatformModulePath, SiblingSwapsTheExtension) {
    const struct {
        std::string_view library;
        std::string_view extension;
        std::string_view expected;
    } cases[] = {
        {"/p/Synth.so", ".dat", "/p/Synth.dat"},  {"C:\\P\\Synth.dll", ".dat", "C:\\P\\Synth.dat"},
        {"/p/a.b.so", ".dat", "/p/a.b.dat"},      {"/p/NoExtension", ".dat", "/p/NoExtension.dat"},
        {"/p.d/Synth", ".dat", "/p.d/Synth.dat"}, {"/p/", ".dat", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SiblingWithExtension(c.library, c.extension), c.expected) << c.library;
    }
}

}  // namespace
}  // namespace md::platform
