// Resources carried inside a plug-in library file (the built-in patch, for one).
//
// Linux libraries (ELF) have no resource section, so the resources are kept in a table appended
// to the end of the library file. The loader ignores bytes past the parts it maps, so the
// library still loads; the table is found from the file's last bytes.
//
// Table layout. All integers little-endian, fixed width. Offsets inside the table count from
// the table's first byte (T = file size - table size), so a table can follow any prefix.
//
//   | where          | field           | type       | meaning                                   |
//   |----------------|-----------------|------------|-------------------------------------------|
//   | T + 0          | blobs           | bytes      | each resource's data, back to back        |
//   | T + D          | count           | uint32     | number of entries                         |
//   |                | entry * count:  |            |                                           |
//   |                |   type_length   | uint16     | 1..65535                                  |
//   |                |   type          | bytes      | type text, case-sensitive, no terminator  |
//   |                |   id            | uint32     | resource id                               |
//   |                |   offset        | uint64     | data start, from T; inside the blobs      |
//   |                |   size          | uint64     | data length in bytes                      |
//   | end - 32       | table_size      | uint64     | bytes from T to the end of the file       |
//   | end - 24       | directory_off   | uint64     | D: directory start, from T                |
//   | end - 16       | directory_size  | uint32     | count + entries, in bytes                 |
//   | end - 12       | version         | uint32     | kResourceFormatVersion                    |
//   | end - 8        | magic           | char[8]    | "MDRESTBL"                                |
//
// The directory ends exactly where the trailer starts. A table is accepted only when every
// field is consistent (sizes within the file, no overflow, the directory fully used, no
// duplicate type and id, blobs adding up to no more than the blob area); anything else reads
// as "no resources".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace md::platform {

struct Resource {
    std::string type;
    uint32_t id = 0;
    std::vector<uint8_t> data;

    friend bool operator==(const Resource&, const Resource&) = default;
};

// The patch built into a plug-in library.
inline constexpr std::string_view kPatchResourceType = "MD1";
inline constexpr uint32_t kPatchResourceId = 165;

inline constexpr std::array<uint8_t, 8> kResourceMagic = {'M', 'D', 'R', 'E', 'S', 'T', 'B', 'L'};
inline constexpr uint32_t kResourceFormatVersion = 1;
inline constexpr size_t kResourceTrailerSize = 32;
// Bounds what a damaged tail can make the reader allocate for the directory.
inline constexpr uint32_t kMaxResourceDirectorySize = uint32_t{1} << 20;

// ---- Reader pieces: pure functions on bytes. Any thread. ----

// Where a table lies in a file, from its trailer. Offsets are from the start of the file.
struct ResourceTableLocation {
    uint64_t table_offset = 0;
    uint64_t directory_offset = 0;
    uint32_t directory_size = 0;
};

// One directory entry; `offset` is from the start of the file.
struct ResourceEntry {
    std::string type;
    uint32_t id = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};

// Checks the last kResourceTrailerSize bytes of a file of `file_size` bytes.
std::optional<ResourceTableLocation> ParseResourceTrailer(std::span<const uint8_t> trailer,
                                                          uint64_t file_size);

// Parses the directory bytes found at `location`.
std::optional<std::vector<ResourceEntry>> ParseResourceDirectory(
    std::span<const uint8_t> directory, const ResourceTableLocation& location);

// The resources of the table at the end of `bytes`; empty when there is none or it is damaged.
std::vector<Resource> ReadResourceTable(std::span<const uint8_t> bytes);

// Length of what precedes the table at the end of `bytes` (bytes.size() when there is none).
uint64_t ResourceTableOffset(std::span<const uint8_t> bytes);

// ---- Writer: pure. Any thread. ----

// The bytes of a table holding `resources`, in the order given. Nullopt when they can't be
// stored: an empty type or one longer than 65535 bytes, a type and id given twice, or a
// directory larger than kMaxResourceDirectorySize.
std::optional<std::vector<uint8_t>> BuildResourceTable(std::span<const Resource> resources);

// ---- Files. Any thread; don't write a file that another thread is reading. ----

// One resource's data, reading only the file's tail, directory and that resource.
std::optional<std::vector<uint8_t>> LoadResource(const std::string& file, std::string_view type,
                                                 uint32_t id);

// Every resource in the file, in table order; empty when there is no (valid) table.
std::vector<Resource> ListResources(const std::string& file);

// Replaces the file's table (or appends one when there is none) with one holding exactly
// `resources`; the bytes before the table stay as they are. The file must exist. It is
// rewritten through WriteWholeFile, so a process that has the library loaded keeps its old copy.
bool WriteResources(const std::string& file, std::span<const Resource> resources);

// Removes the table, leaving the original file bytes. True when the file has no table
// afterwards (including when it had none).
bool StripResources(const std::string& file);

}  // namespace md::platform
