#include "platform/resources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/fixtures/temp_folder.h"
#include "platform/shared_library.h"

namespace md::platform {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view text) {
    return {text.begin(), text.end()};
}

Bytes Concat(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

// A prefix standing in for the library's own bytes.
const Bytes kPrefix = {0x7F, 'E', 'L', 'F', 0x02, 0x01, 0x00, 0x00};

const std::vector<Resource> kHandResources = {
    {"MD1", 165, {0x01, 0x02, 0x03}},
    {"TXT", 7, {'h', 'i'}},
};

// The table holding kHandResources, byte by byte.
const Bytes kHandTable = {
    // blobs
    0x01, 0x02, 0x03,  // +0  MD1/165
    'h', 'i',          // +3  TXT/7
    // directory, at +5
    0x02, 0x00, 0x00, 0x00,                          // +5  count 2
    0x03, 0x00, 'M', 'D', '1',                       // +9  type "MD1"
    0xA5, 0x00, 0x00, 0x00,                          // +14 id 165
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // +18 offset 0
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // +26 size 3
    0x03, 0x00, 'T', 'X', 'T',                       // +34 type "TXT"
    0x07, 0x00, 0x00, 0x00,                          // +39 id 7
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // +43 offset 3
    0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // +51 size 2
    // trailer, at +59
    0x5B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // +59 table size 91
    0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // +67 directory offset 5
    0x36, 0x00, 0x00, 0x00,                          // +75 directory size 54
    0x01, 0x00, 0x00, 0x00,                          // +79 version 1
    'M', 'D', 'R', 'E', 'S', 'T', 'B', 'L',          // +83 magic
};

// Field positions in kHandTable, for the damaged variants.
constexpr size_t kCountAt = 5;
constexpr size_t kFirstTypeLengthAt = 9;
constexpr size_t kFirstOffsetAt = 18;
constexpr size_t kFirstSizeAt = 26;
constexpr size_t kSecondTypeAt = 36;
constexpr size_t kSecondIdAt = 39;
constexpr size_t kTableSizeAt = 59;
constexpr size_t kDirectoryOffsetAt = 67;
constexpr size_t kDirectorySizeAt = 75;
constexpr size_t kVersionAt = 79;
constexpr size_t kMagicAt = 83;

void Put(Bytes& bytes, size_t at, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

class PlatformResources : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& name, const Bytes& bytes) {
        const std::string path = temp_ / name;
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

    test::TempFolder temp_;
};

TEST_F(PlatformResources, ReadsHandWrittenTable) {
    const Bytes file = Concat(kPrefix, kHandTable);
    EXPECT_EQ(ReadResourceTable(file), kHandResources);
    EXPECT_EQ(ResourceTableOffset(file), kPrefix.size());
    EXPECT_EQ(ReadResourceTable(kHandTable), kHandResources) << "a table with no prefix";

    const std::string path = WriteFile("lib.so", file);
    EXPECT_EQ(ListResources(path), kHandResources);
    EXPECT_EQ(LoadResource(path, "MD1", 165), kHandResources[0].data);
    EXPECT_EQ(LoadResource(path, "TXT", 7), kHandResources[1].data);
    EXPECT_EQ(LoadResource(path, "md1", 165), std::nullopt) << "types are case-sensitive";
    EXPECT_EQ(LoadResource(path, "MD1", 7), std::nullopt);
    EXPECT_EQ(LoadResource(path, "MD", 165), std::nullopt);
}

TEST_F(PlatformResources, WriterProducesTheHandWrittenBytes) {
    EXPECT_EQ(BuildResourceTable(kHandResources), kHandTable);

    const std::string path = WriteFile("lib.so", kPrefix);
    ASSERT_TRUE(WriteResources(path, kHandResources));
    EXPECT_EQ(ReadWholeFile(path), Concat(kPrefix, kHandTable));
}

TEST_F(PlatformResources, EmptyTableIsCountAndTrailer) {
    const Bytes empty_table = {
        0x00, 0x00, 0x00, 0x00,                          // count 0
        0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // table size 36
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // directory offset 0
        0x04, 0x00, 0x00, 0x00,                          // directory size 4
        0x01, 0x00, 0x00, 0x00,                          // version 1
        'M',  'D',  'R',  'E',  'S',  'T',  'B',  'L',
    };
    EXPECT_EQ(BuildResourceTable({}), empty_table);
    const Bytes file = Concat(kPrefix, empty_table);
    EXPECT_TRUE(ReadResourceTable(file).empty());
    EXPECT_EQ(ResourceTableOffset(file), kPrefix.size());
}

TEST_F(PlatformResources, RoundTripThroughAFile) {
    Bytes big(100'000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 31 + 7);
    const std::vector<Resource> resources = {
        {std::string(kPatchResourceType), kPatchResourceId, big},
        {"MD1", 166, {}},
        {"WAVE", 0xFFFFFFFF, Text("RIFF....")},
        {std::string(300, 'x'), 1, {0}},
    };
    const std::string path = WriteFile("lib.so", kPrefix);
    ASSERT_TRUE(WriteResources(path, resources));
    EXPECT_EQ(ListResources(path), resources);
    for (const auto& r : resources) EXPECT_EQ(LoadResource(path, r.type, r.id), r.data) << r.type;
}

TEST_F(PlatformResources, ReplacingAndStrippingKeepTheOriginalBytes) {
    const std::string path = WriteFile("lib.so", kPrefix);
    ASSERT_TRUE(WriteResources(path, kHandResources));

    const std::vector<Resource> replacement = {{"MD1", 165, Text("new patch")}};
    ASSERT_TRUE(WriteResources(path, replacement));
    EXPECT_EQ(ReadWholeFile(path), Concat(kPrefix, *BuildResourceTable(replacement)))
        << "exactly one table after the original bytes";
    EXPECT_EQ(ListResources(path), replacement);

    ASSERT_TRUE(StripResources(path));
    EXPECT_EQ(ReadWholeFile(path), kPrefix);
    ASSERT_TRUE(StripResources(path)) << "nothing left to strip";
    EXPECT_EQ(ReadWholeFile(path), kPrefix);
}

TEST_F(PlatformResources, WriterRefusesWhatItCannotStore) {
    const struct {
        const char* why;
        std::vector<Resource> resources;
    } cases[] = {
        {"empty type", {{"", 1, {}}}},
        {"type too long", {{std::string(0x10000, 't'), 1, {}}}},
        {"same type and id twice", {{"MD1", 165, {1}}, {"TXT", 1, {}}, {"MD1", 165, {2}}}},
    };
    const Bytes original = Concat(kPrefix, kHandTable);
    for (const auto& c : cases) {
        EXPECT_EQ(BuildResourceTable(c.resources), std::nullopt) << c.why;
        const std::string path = WriteFile("lib.so", original);
        EXPECT_FALSE(WriteResources(path, c.resources)) << c.why;
        EXPECT_EQ(ReadWholeFile(path), original) << c.why;
    }
    EXPECT_FALSE(WriteResources(temp_ / "missing.so", kHandResources));
    EXPECT_FALSE(FileExists(temp_ / "missing.so"));
    EXPECT_FALSE(StripResources(temp_ / "missing.so"));
}

// Each case damages the hand-written table; every reader must then see no resource at all.
TEST_F(PlatformResources, DamagedTailsReadAsNoResources) {
    using Damage = std::function<void(Bytes&)>;
    const struct {
        const char* what;
        Damage damage;
    } cases[] = {
        {"bad magic", [](Bytes& t) { t[kMagicAt] = 'X'; }},
        {"unknown version", [](Bytes& t) { Put(t, kVersionAt, 2, 4); }},
        {"table larger than the file", [](Bytes& t) { Put(t, kTableSizeAt, 10'000, 8); }},
        {"table size overflows", [](Bytes& t) { Put(t, kTableSizeAt, ~uint64_t{0}, 8); }},
        {"table smaller than the trailer", [](Bytes& t) { Put(t, kTableSizeAt, 31, 8); }},
        {"table size off by one", [](Bytes& t) { Put(t, kTableSizeAt, 90, 8); }},
        {"directory past the table", [](Bytes& t) { Put(t, kDirectoryOffsetAt, 60, 8); }},
        {"directory offset overflows",
         [](Bytes& t) { Put(t, kDirectoryOffsetAt, ~uint64_t{0} - 10, 8); }},
        {"directory short of the trailer", [](Bytes& t) { Put(t, kDirectorySizeAt, 53, 4); }},
        {"directory size beyond the limit",
         [](Bytes& t) { Put(t, kDirectorySizeAt, 0xFFFFFFFF, 4); }},
        {"truncated directory", [](Bytes& t) { Put(t, kCountAt, 3, 4); }},
        {"huge count", [](Bytes& t) { Put(t, kCountAt, 0xFFFFFFFF, 4); }},
        {"fewer entries than bytes", [](Bytes& t) { Put(t, kCountAt, 1, 4); }},
        {"type runs past the directory", [](Bytes& t) { Put(t, kFirstTypeLengthAt, 0xFFFF, 2); }},
        {"empty type", [](Bytes& t) { Put(t, kFirstTypeLengthAt, 0, 2); }},
        {"data past the blobs", [](Bytes& t) { Put(t, kFirstOffsetAt, 4, 8); }},
        {"data into the directory", [](Bytes& t) { Put(t, kFirstSizeAt, 6, 8); }},
        {"data offset overflows", [](Bytes& t) { Put(t, kFirstOffsetAt, ~uint64_t{0}, 8); }},
        {"data size overflows", [](Bytes& t) { Put(t, kFirstSizeAt, ~uint64_t{0} - 1, 8); }},
        {"blobs add up past the area",
         [](Bytes& t) {
             Put(t, kFirstSizeAt, 5, 8);  // 5 + 2 bytes claimed of a 5-byte blob area
         }},
        {"same type and id twice",
         [](Bytes& t) {
             t[kSecondTypeAt] = 'M';
             t[kSecondTypeAt + 1] = 'D';
             t[kSecondTypeAt + 2] = '1';
             Put(t, kSecondIdAt, 165, 4);
         }},
        {"trailer only", [](Bytes& t) { t.erase(t.begin(), t.begin() + kTableSizeAt); }},
        {"magic only", [](Bytes& t) { t.erase(t.begin(), t.begin() + kMagicAt); }},
        {"last byte missing", [](Bytes& t) { t.pop_back(); }},
    };
    for (const auto& c : cases) {
        Bytes table = kHandTable;
        c.damage(table);
        const Bytes file = Concat(kPrefix, table);
        EXPECT_TRUE(ReadResourceTable(file).empty()) << c.what;
        EXPECT_EQ(ResourceTableOffset(file), file.size()) << c.what;

        const std::string path = WriteFile("damaged.so", file);
        EXPECT_TRUE(ListResources(path).empty()) << c.what;
        EXPECT_EQ(LoadResource(path, "MD1", 165), std::nullopt) << c.what;
        EXPECT_EQ(LoadResource(path, "TXT", 7), std::nullopt) << c.what;

        // A tail that isn't a table counts as part of the file: writing keeps it.
        ASSERT_TRUE(WriteResources(path, kHandResources)) << c.what;
        EXPECT_EQ(ReadWholeFile(path), Concat(file, kHandTable)) << c.what;
    }
}

TEST_F(PlatformResources, ShortAndMissingFilesHaveNoResources) {
    for (const Bytes& content : {Bytes{}, Bytes{'M'}, kPrefix}) {
        const std::string path = WriteFile("short.so", content);
        EXPECT_TRUE(ListResources(path).empty());
        EXPECT_EQ(LoadResource(path, "MD1", 165), std::nullopt);
        EXPECT_EQ(ResourceTableOffset(content), content.size());
    }
    EXPECT_TRUE(ListResources(temp_ / "missing.so").empty());
    EXPECT_EQ(LoadResource(temp_ / "missing.so", "MD1", 165), std::nullopt);
}

TEST_F(PlatformResources, LibraryWithTableStillLoads) {
    const std::string copy = temp_ / "Synth.so";
    std::filesystem::copy_file(MD_PLATFORM_FIXTURE_PATH, copy);
    EXPECT_TRUE(ListResources(copy).empty()) << "a fresh build carries no table";

    const Bytes patch = Text("patch bytes");
    const std::vector<Resource> resources = {
        {std::string(kPatchResourceType), kPatchResourceId, patch}};
    ASSERT_TRUE(WriteResources(copy, resources));

    const SharedLibrary library = SharedLibrary::Load(copy);
    ASSERT_TRUE(library.IsLoaded()) << library.error();
    const auto answer = library.Function<int (*)()>("md_fixture_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    const auto module_path = library.Function<const char* (*)()>("md_fixture_module_path");
    ASSERT_NE(module_path, nullptr);
    EXPECT_EQ(std::string(module_path()), copy);

    EXPECT_EQ(LoadResource(copy, kPatchResourceType, kPatchResourceId), patch);
}

}  // namespace
}  // namespace md::platform
