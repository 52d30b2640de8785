#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fixtures/temp_folder.h"

namespace md::platform {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

void WriteText(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

// ---- Path text ----

#ifndef _WIN32
TEST(PlatformPathText, NativePathTurnsBackslashesIntoSlashes) {
    const struct {
        std::string_view stored;
        std::string_view expected;
    } cases[] = {
        {"Samples\\Drums\\kick.wav", "Samples/Drums/kick.wav"},
        {"C:\\Samples\\kick.wav", "C:/Samples/kick.wav"},
        {"\\\\server\\share\\a.wav", "//server/share/a.wav"},
        {"/already/posix.wav", "/already/posix.wav"},
        {"mixed/dir\\file", "mixed/dir/file"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(NativePath(c.stored), c.expected) << c.stored;
}
#endif

TEST(PlatformPathText, SplitsFolderAndFileName) {
    const struct {
        std::string_view path;
        std::string_view folder;
        std::string_view name;
    } cases[] = {
        {"/a/b/c.wav", "/a/b/", "c.wav"},
        {"C:\\Samples\\kick.wav", "C:\\Samples\\", "kick.wav"},
        {"mixed/dir\\file", "mixed/dir\\", "file"},
        {"dir\\mixed/file", "dir\\mixed/", "file"},
        {"file.txt", "", "file.txt"},
        {"/a/b/", "/a/b/", ""},
        {"/", "/", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    }
}

TEST(PlatformPathText, ExtensionAndStemComeFromTheFileNameOnly) {
    const struct {
        std::string_view path;
        std::string_view extension;
        std::string_view stem;
    } cases[] = {
        {"a.wav", "wav", "a"},
        {"/p/Synth.so", "so", "Synth"},
        {"archive.tar.gz", "gz", "archive.tar"},
        {"/dir.d/noext", "", "noext"},
        {"C:\\dir.d\\noext", "", "noext"},
        {"name.", "", "name"},
        {".hidden", "hidden", ""},
        {"UPPER.WAV", "WAV", "UPPER"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
        EXPECT_EQ(StemOf(c.path), c.stem) << c.path;
    }
}

TEST(PlatformPathText, JoinPathPutsOneSeparatorBetween) {
    const std::string sep(1, kPathSeparator);
    const struct {
        std::string_view folder;
        std::string_view name;
        std::string expected;
    } cases[] = {
        {"/a", "b.wav", "/a" + sep + "b.wav"},         {"/a/", "b.wav", "/a/b.wav"},
        {"C:\\a\\", "b.wav", "C:\\a\\b.wav"},          {"", "b.wav", "b.wav"},
        {"/a", "sub/b.wav", "/a" + sep + "sub/b.wav"}, {"/a", "/abs/b.wav", "/abs/b.wav"},
        {"/a", "C:\\abs\\b.wav", "C:\\abs\\b.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
    }
}

TEST(PlatformPathText, RecognisesAbsolutePathsOfEitherPlatform) {
    const struct {
        std::string_view path;
        bool absolute;
    } cases[] = {
        {"/usr/lib", true},    {"\\Samples\\a.wav", true}, {"\\\\server\\share", true},
        {"C:\\Samples", true}, {"c:/Samples", true},       {"C:", false},
        {"C:relative", false}, {"1:\\x", false},           {"relative/a.wav", false},
        {"./a.wav", false},    {"a.wav", false},           {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAbsolutePath(c.path), c.absolute) << c.path;
}

// ---- File system ----

class PlatformFiles : public ::testing::Test {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(temp_.path())) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempFolder temp_;
};

TEST_F(PlatformFiles, TellsFilesFoldersAndMissingPathsApart) {
    const std::string file = temp_ / "file.bin";
    WriteText(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_TRUE(FileExists(temp_.path().string()));
    EXPECT_TRUE(IsDirectory(temp_.path().string()));
    EXPECT_FALSE(FileExists(temp_ / "missing"));
    EXPECT_FALSE(IsDirectory(temp_ / "missing"));
}

TEST_F(PlatformFiles, CreateFolderMakesMissingParents) {
    const std::string nested = temp_ / "a/b/c";
    EXPECT_TRUE(CreateFolder(nested));
    EXPECT_TRUE(fs::is_directory(nested));
    EXPECT_TRUE(CreateFolder(nested)) << "an existing folder counts as success";
    EXPECT_TRUE(CreateFolder(temp_ / "trailing/"));
    EXPECT_TRUE(fs::is_directory(temp_ / "trailing"));

    WriteText(temp_ / "file", "x");
    EXPECT_FALSE(CreateFolder(temp_ / "file")) << "a file is in the way";
    EXPECT_FALSE(CreateFolder(temp_ / "file/sub"));
    EXPECT_FALSE(CreateFolder(""));
}

TEST_F(PlatformFiles, WholeFileRoundTripReplacesTheContent) {
    const std::string file = temp_ / "data.bin";
    const std::vector<uint8_t> first = {0, 1, 2, 0xFF, 0x80, '\n', '\r', 0};
    ASSERT_TRUE(WriteWholeFile(file, first));
    EXPECT_EQ(ReadWholeFile(file), first);

    const std::vector<uint8_t> shorter = Bytes("ab");
    ASSERT_TRUE(WriteWholeFile(file, shorter));
    EXPECT_EQ(ReadWholeFile(file), shorter);

    ASSERT_TRUE(WriteWholeFile(file, {}));
    EXPECT_EQ(ReadWholeFile(file), std::vector<uint8_t>{});

    EXPECT_EQ(Entries(), std::vector<std::string>{"data.bin"}) << "temporary files left behind";
}

TEST_F(PlatformFiles, FailedWriteLeavesNothingBehind) {
    CreateFolder(temp_ / "folder");
    WriteText(temp_ / "folder/inside", "keep");
    EXPECT_FALSE(WriteWholeFile(temp_ / "folder", Bytes("data"))) << "can't replace a folder";
    EXPECT_TRUE(fs::is_directory(temp_ / "folder"));
    EXPECT_EQ(ReadWholeFile(temp_ / "folder/inside"), Bytes("keep"));

    EXPECT_FALSE(WriteWholeFile(temp_ / "missing/file", Bytes("data")));
    EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});
}

TEST_F(PlatformFiles, WriteKeepsPermissionsAndFollowsLinks) {
    const std::string file = temp_ / "lib.so";
    WriteText(file, "old");
    const auto mode = fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec;
    fs::permissions(file, mode);
    ASSERT_TRUE(WriteWholeFile(file, Bytes("new")));
    EXPECT_EQ(fs::status(file).permissions(), mode);

    const std::string link = temp_ / "link.so";
    fs::create_symlink(file, link);
    ASSERT_TRUE(WriteWholeFile(link, Bytes("through")));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(file), Bytes("through"));
}

TEST_F(PlatformFiles, ReadWholeFileRefusesWhatItCannotHold) {
    EXPECT_EQ(ReadWholeFile(temp_ / "missing"), std::nullopt);
    EXPECT_EQ(ReadWholeFile(temp_.path().string()), std::nullopt);

    // Sparse: takes no disk space, and the size check comes before any allocation.
    const std::string huge = temp_ / "huge";
    WriteText(huge, "");
    fs::resize_file(huge, kMaxWholeFileSize + 1);
    EXPECT_EQ(ReadWholeFile(huge), std::nullopt);
}

TEST_F(PlatformFiles, LastWriteTimeRoundTripsInNanoseconds) {
    const std::string file = temp_ / "timed";
    WriteText(file, "x");
    for (const int64_t t :
         {int64_t{1'600'000'000'123'456'789}, int64_t{0}, int64_t{-1'500'000'000}}) {
        ASSERT_TRUE(SetLastWriteTime(file, t)) << t;
        EXPECT_EQ(LastWriteTime(file), t);
    }
    EXPECT_EQ(LastWriteTime(temp_ / "missing"), std::nullopt);
    EXPECT_FALSE(SetLastWriteTime(temp_ / "missing", 0));
}

TEST_F(PlatformFiles, LastWriteTimeFollowsWrites) {
    const std::string file = temp_ / "timed";
    WriteText(file, "x");
    ASSERT_TRUE(SetLastWriteTime(file, 1'000'000'000'000'000'000));
    ASSERT_TRUE(WriteWholeFile(file, Bytes("y")));
    const auto after = LastWriteTime(file);
    ASSERT_TRUE(after.has_value());
    EXPECT_GT(*after, 1'000'000'000'000'000'000);
}

TEST_F(PlatformFiles, FileReaderReadsOnlyInsideTheFile) {
    const std::string file = temp_ / "ten";
    WriteText(file, "0123456789");
    const FileReader reader = FileReader::Open(file);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.size(), 10u);

    std::vector<uint8_t> buffer(4);
    ASSERT_TRUE(reader.ReadAt(6, buffer));
    EXPECT_EQ(buffer, Bytes("6789"));
    EXPECT_FALSE(reader.ReadAt(7, buffer)) << "runs past the end";
    EXPECT_FALSE(reader.ReadAt(~uint64_t{0} - 1, buffer)) << "offset + size overflows";
    EXPECT_TRUE(reader.ReadAt(10, std::span<uint8_t>{})) << "empty read at the end";

    EXPECT_FALSE(FileReader::Open(temp_ / "missing").IsOpen());
    EXPECT_FALSE(FileReader::Open(temp_.path().string()).IsOpen());
    EXPECT_FALSE(FileReader{}.ReadAt(0, buffer));
}

TEST_F(PlatformFiles, MovedFileReaderKeepsTheFile) {
    const std::string file = temp_ / "ab";
    WriteText(file, "ab");
    FileReader first = FileReader::Open(file);
    FileReader second = std::move(first);
    EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move)
    std::vector<uint8_t> buffer(2);
    ASSERT_TRUE(second.ReadAt(0, buffer));
    EXPECT_EQ(buffer, Bytes("ab"));
    second.Close();
    EXPECT_FALSE(second.ReadAt(0, buffer));
}

}  // namespace
}  // namespace md::platform
