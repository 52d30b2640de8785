#include "platform/shared_library.h"

#include <gtest/gtest.h>

#include <fstream>
#include <utility>

#include "platform/fixtures/temp_folder.h"

namespace md::platform {
namespace {

using AnswerFunction = int (*)();

TEST(PlatformSharedLibrary, LoadsAndFindsExportedSymbols) {
    const SharedLibrary library = SharedLibrary::Load(MD_PLATFORM_FIXTURE_PATH);
    ASSERT_TRUE(library.IsLoaded()) << library.error();
    EXPECT_EQ(library.path(), MD_PLATFORM_FIXTURE_PATH);
    EXPECT_EQ(library.error(), "");

    const auto answer = library.Function<AnswerFunction>("md_fixture_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(library.Symbol("md_fixture_not_there"), nullptr);
    EXPECT_EQ(library.Symbol(nullptr), nullptr);
}

TEST(PlatformSharedLibrary, FailedLoadExplainsWhy) {
    test::TempFolder temp;
    std::ofstream(temp / "text.so") << "not a library";
    for (const std::string& path : {temp / "missing.so", temp / "text.so", temp.path().string()}) {
        const SharedLibrary library = SharedLibrary::Load(path);
        EXPECT_FALSE(library.IsLoaded()) << path;
        EXPECT_NE(library.error(), "") << path;
        EXPECT_EQ(library.path(), path);
        EXPECT_EQ(library.Symbol("md_fixture_answer"), nullptr);
    }
}

TEST(PlatformSharedLibrary, OwnershipMovesAndUnloadReleases) {
    SharedLibrary first = SharedLibrary::Load(MD_PLATFORM_FIXTURE_PATH);
    ASSERT_TRUE(first.IsLoaded()) << first.error();

    SharedLibrary second = std::move(first);
    EXPECT_FALSE(first.IsLoaded());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(first.Symbol("md_fixture_answer"), nullptr);
    ASSERT_TRUE(second.IsLoaded());

    SharedLibrary third;
    third = std::move(second);
    ASSERT_NE(third.Symbol("md_fixture_answer"), nullptr);
    EXPECT_EQ(third.path(), MD_PLATFORM_FIXTURE_PATH);

    third.Unload();
    EXPECT_FALSE(third.IsLoaded());
    EXPECT_EQ(third.Symbol("md_fixture_answer"), nullptr);
    third.Unload();  // a second unload does nothing
}

}  // namespace
}  // namespace md::platform
