#include "document/data_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/fixtures/temp_folder.h"

namespace md {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view text) {
    return {text.begin(), text.end()};
}

// Stored names as Windows and POSIX patches write them. Two share a file-name part.
const std::vector<EmbeddedFile> kEmbedded = {
    {"C:\\Samples\\Kick.wav", Text("embedded kick")}, {"Loops/beat.mid", Text("embedded beat")},
    {"C:\\Other\\kick.wav", Text("second kick")},     {"Tom.wav", Text("embedded tom")},
    {"D:Snare.wav", Text("embedded snare")},
};

class OpenDataFileTest : public ::testing::Test {
protected:
    // Writes `text` at `relative` ('/'-separated) inside the data folder.
    void WriteData(const std::string& relative, std::string_view text) {
        const std::string path = data_folder_ + relative;
        ASSERT_TRUE(platform::CreateFolder(std::string(platform::FolderPart(path))));
        ASSERT_TRUE(platform::WriteWholeFile(path, Text(text)));
    }

    std::optional<DataFile> Open(std::string_view name, std::string_view extension) {
        return OpenDataFile(name, extension, data_folder_, kEmbedded);
    }

    test::TempFolder data_;
    const std::string data_folder_ = data_.path().string() + "/";
};

// What a lookup found: "disk:<path>" or "embedded:<stored name>", then the content.
std::string Found(const std::optional<DataFile>& file) {
    if (!file) return "none";
    const auto bytes = file->ReadAll();
    if (!bytes) return "unreadable";
    return (file->embedded() ? "embedded:" : "disk:") + file->name() + " " +
           std::string(bytes->begin(), bytes->end());
}

TEST_F(OpenDataFileTest, FallsBackToEmbeddedFilesByFileNameIgnoringCase) {
    const struct {
        std::string_view name;
        std::string_view extension;
        std::string expected;
    } cases[] = {
        {"kick.wav", "wav", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"D:\\Other\\KICK", "wav", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"Kick", "WAV", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"Drums\\beat", "mid", "embedded:Loops/beat.mid embedded beat"},
        {"/abs/Beat.MID", "", "embedded:Loops/beat.mid embedded beat"},
        {"D:KICK", "wav", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"snare", "wav", "embedded:D:Snare.wav embedded snare"},
        {"kick", "", "none"},  // nothing appended, and "kick" is not "Kick.wav"
        {"kick.wa", "wav", "none"},
        {"kick.wav.bak", "wav", "none"},
        {"nothing.wav", "wav", "none"},
        {"Samples\\", "wav", "none"},
        {"C:", "wav", "none"},
        {"", "wav", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Found(Open(c.name, c.extension)), c.expected) << c.name;
    }
    EXPECT_EQ(Found(OpenDataFile("kick.wav", "wav", data_folder_, {})), "none");
}

TEST_F(OpenDataFileTest, TakesNamesInsideTheDataFolderUnlessRootedOrOnADrive) {
    WriteData("Kick.wav", "disk kick");
    WriteData("Drums/Snare.wav", "disk snare");
    WriteData("C:/Samples/Kick.wav", "decoy");  // where joining a drive name would look
    WriteData("C:Kick.wav", "decoy");
    ASSERT_TRUE(platform::CreateFolder(data_folder_ + "Tom.wav"));  // a folder is not a file

    test::TempFolder elsewhere;
    const std::string hat = elsewhere / "Hat.wav";
    ASSERT_TRUE(platform::WriteWholeFile(hat, Text("disk hat")));

    const std::string data = data_folder_;
    const struct {
        std::string name;
        std::string_view extension;
        std::string expected;
    } cases[] = {
        {"Kick.wav", "wav", "disk:" + data + "Kick.wav disk kick"},
        {"Kick", "wav", "disk:" + data + "Kick.wav disk kick"},
        {"Drums\\Snare.wav", "wav", "disk:" + data + "Drums/Snare.wav disk snare"},
        {"Drums/Snare", "wav", "disk:" + data + "Drums/Snare.wav disk snare"},
        {"\\Drums\\Snare.wav", "wav", "disk:" + data + "Drums/Snare.wav disk snare"},
        {hat, "wav", "disk:" + hat + " disk hat"},
        {hat.substr(0, hat.size() - 4), "wav", "disk:" + hat + " disk hat"},
        {"C:\\Samples\\Kick.wav", "wav", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"c:/Samples/Kick", "wav", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"C:Kick.wav", "wav", "embedded:C:\\Samples\\Kick.wav embedded kick"},
        {"Tom.wav", "wav", "embedded:Tom.wav embedded tom"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Found(Open(c.name, c.extension)), c.expected) << c.name;
    }

    EXPECT_EQ(Found(OpenDataFile("Kick.wav", "wav", data_.path().string(), kEmbedded)),
              "disk:" + (data_ / "Kick.wav") + " disk kick")
        << "a data folder without its final separator";
}

// The disk file and the embedded view answer every read the same way.
TEST_F(OpenDataFileTest, DiskFilesAndEmbeddedViewsReadAlike) {
    const std::string_view content = "0123456789";
    WriteData("digits.bin", content);
    const EmbeddedFile stored{"x\\digits.bin", Text(content)};
    const DataFile disk = *OpenDataFile("digits.bin", "", data_folder_, {});
    const DataFile view = *OpenDataFile("digits.bin", "", data_folder_ + "missing/", {&stored, 1});
    ASSERT_FALSE(disk.embedded());
    ASSERT_TRUE(view.embedded());

    const struct {
        uint64_t offset;
        size_t length;
        std::optional<std::string_view> expected;
    } cases[] = {
        {0, 10, "0123456789"},
        {3, 4, "3456"},
        {9, 1, "9"},
        {0, 0, ""},
        {10, 0, ""},
        {9, 2, std::nullopt},
        {1, 10, std::nullopt},
        {11, 0, std::nullopt},
        {UINT64_MAX, 1, std::nullopt},
    };
    for (const DataFile* file : {&disk, &view}) {
        const char* what = file->embedded() ? "embedded" : "disk";
        EXPECT_EQ(file->size(), content.size()) << what;
        EXPECT_EQ(file->ReadAll(), Text(content)) << what;
        for (const auto& c : cases) {
            Bytes out(c.length, '-');
            const bool ok = file->ReadAt(c.offset, out);
            EXPECT_EQ(ok, c.expected.has_value()) << what << " at " << c.offset;
            if (ok && c.expected) {
                EXPECT_EQ(out, Text(*c.expected)) << what << " at " << c.offset;
            }
        }
    }

    WriteData("empty.bin", "");
    const EmbeddedFile empty{"empty.bin", {}};
    std::vector<std::optional<DataFile>> empties;
    empties.push_back(OpenDataFile("empty.bin", "", data_folder_, {}));
    empties.push_back(OpenDataFile("empty.bin", "", data_folder_ + "missing/", {&empty, 1}));
    for (const auto& file : empties) {
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->size(), 0u);
        EXPECT_EQ(file->ReadAll(), Bytes{}) << "an empty file reads as no bytes, not as a failure";
    }
}

}  // namespace
}  // namespace md
