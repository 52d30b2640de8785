// The resource table appended to a library file: its one reader and its one writer.
#include "platform/resources.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/files.h"

namespace md::platform {

namespace {

// Smallest directory entry: type_length, one type byte, id, offset, size.
constexpr size_t kMinEntrySize = 2 + 1 + 4 + 8 + 8;
constexpr size_t kCountSize = 4;
constexpr size_t kMaxTypeLength = 0xFFFF;

// Little-endian reads from a span; any read past the end sets failed() and yields zeros.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint16_t U16() { return static_cast<uint16_t>(Unsigned(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Unsigned(4)); }
    uint64_t U64() { return Unsigned(8); }

    std::span<const uint8_t> Bytes(size_t n) {
        if (failed_ || n > remaining()) {
            failed_ = true;
            return {};
        }
        const auto out = bytes_.subspan(position_, n);
        position_ += n;
        return out;
    }

    size_t remaining() const { return bytes_.size() - position_; }
    bool failed() const { return failed_; }

private:
    uint64_t Unsigned(size_t width) {
        uint64_t value = 0;
        const auto bytes = Bytes(width);
        for (size_t i = 0; i < bytes.size(); ++i) value |= uint64_t{bytes[i]} << (8 * i);
        return value;
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool failed_ = false;
};

class ByteWriter {
public:
    void U16(uint16_t v) { Unsigned(v, 2); }
    void U32(uint32_t v) { Unsigned(v, 4); }
    void U64(uint64_t v) { Unsigned(v, 8); }
    void Bytes(std::span<const uint8_t> bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    size_t size() const { return out_.size(); }
    std::vector<uint8_t> Take() { return std::move(out_); }

private:
    void Unsigned(uint64_t v, size_t width) {
        for (size_t i = 0; i < width; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }

    std::vector<uint8_t> out_;
};

std::span<const uint8_t> AsBytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Random access over bytes in memory, shaped like FileReader so one reader serves both.
class SpanSource {
public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const { return bytes_.size(); }
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) const {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
};

struct ParsedTable {
    ResourceTableLocation location;
    std::vector<ResourceEntry> entries;
};

// Reads the trailer and the directory, nothing else.
template <typename Source>
std::optional<ParsedTable> ParseTable(const Source& source) {
    if (source.size() < kResourceTrailerSize) return std::nullopt;
    std::array<uint8_t, kResourceTrailerSize> trailer{};
    if (!source.ReadAt(source.size() - kResourceTrailerSize, trailer)) return std::nullopt;
    const auto location = ParseResourceTrailer(trailer, source.size());
    if (!location) return std::nullopt;
    std::vector<uint8_t> directory(location->directory_size);
    if (!source.ReadAt(location->directory_offset, directory)) return std::nullopt;
    auto entries = ParseResourceDirectory(directory, *location);
    if (!entries) return std::nullopt;
    return ParsedTable{*location, std::move(*entries)};
}

template <typename Source>
std::optional<std::vector<uint8_t>> ReadData(const Source& source, const ResourceEntry& entry) {
    if (entry.size > kMaxWholeFileSize) return std::nullopt;
    std::vector<uint8_t> data(static_cast<size_t>(entry.size));
    if (!source.ReadAt(entry.offset, data)) return std::nullopt;
    return data;
}

template <typename Source>
std::vector<Resource> ReadAll(const Source& source) {
    const auto table = ParseTable(source);
    if (!table) return {};
    std::vector<Resource> out;
    out.reserve(table->entries.size());
    for (const auto& entry : table->entries) {
        auto data = ReadData(source, entry);
        if (!data) return {};
        out.push_back(Resource{entry.type, entry.id, std::move(*data)});
    }
    return out;
}

// Rewrites `file` as its bytes before any table, followed by `table`.
bool ReplaceTable(const std::string& file, std::span<const uint8_t> table) {
    FileReader reader = FileReader::Open(file);
    if (!reader.IsOpen()) return false;
    const auto existing = ParseTable(reader);
    if (!existing && table.empty()) return true;  // nothing to strip
    const uint64_t prefix = existing ? existing->location.table_offset : reader.size();
    if (prefix > kMaxWholeFileSize) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(prefix) + table.size());
    if (!reader.ReadAt(0, std::span(bytes).first(static_cast<size_t>(prefix)))) return false;
    std::copy(table.begin(), table.end(), bytes.begin() + static_cast<std::ptrdiff_t>(prefix));
    reader.Close();
    return WriteWholeFile(file, bytes);
}

}  // namespace

std::optional<ResourceTableLocation> ParseResourceTrailer(std::span<const uint8_t> trailer,
                                                          uint64_t file_size) {
    if (trailer.size() != kResourceTrailerSize || file_size < kResourceTrailerSize) {
        return std::nullopt;
    }
    ByteReader in(trailer);
    const uint64_t table_size = in.U64();
    const uint64_t directory_offset = in.U64();
    const uint32_t directory_size = in.U32();
    const uint32_t version = in.U32();
    const auto magic = in.Bytes(kResourceMagic.size());
    if (in.failed() || !std::equal(magic.begin(), magic.end(), kResourceMagic.begin())) {
        return std::nullopt;
    }
    if (version != kResourceFormatVersion) return std::nullopt;
    if (table_size > file_size || table_size < kResourceTrailerSize + kCountSize) {
        return std::nullopt;
    }
    const uint64_t body_size = table_size - kResourceTrailerSize;  // blobs and directory
    if (directory_size < kCountSize || directory_size > kMaxResourceDirectorySize ||
        directory_offset > body_size || directory_size != body_size - directory_offset) {
        return std::nullopt;
    }
    const uint64_t table_offset = file_size - table_size;
    return ResourceTableLocation{table_offset, table_offset + directory_offset, directory_size};
}

std::optional<std::vector<ResourceEntry>> ParseResourceDirectory(
    std::span<const uint8_t> directory, const ResourceTableLocation& location) {
    if (directory.size() != location.directory_size ||
        location.directory_offset < location.table_offset) {
        return std::nullopt;
    }
    const uint64_t blob_area = location.directory_offset - location.table_offset;
    ByteReader in(directory);
    const uint32_t count = in.U32();
    // Each entry takes at least kMinEntrySize bytes, which bounds the count before reserving.
    if (in.failed() || count > in.remaining() / kMinEntrySize) return std::nullopt;

    std::vector<ResourceEntry> entries;
    entries.reserve(count);
    uint64_t total_size = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t type_length = in.U16();
        const auto type = in.Bytes(type_length);
        ResourceEntry entry;
        entry.id = in.U32();
        const uint64_t offset = in.U64();
        entry.size = in.U64();
        if (in.failed() || type_length == 0) return std::nullopt;
        if (offset > blob_area || entry.size > blob_area - offset) return std::nullopt;
        // Blobs don't overlap, so together they fit the blob area; this also bounds what a
        // reader of every resource allocates.
        total_size += entry.size;
        if (total_size > blob_area) return std::nullopt;
        entry.type.assign(type.begin(), type.end());
        entry.offset = location.table_offset + offset;
        entries.push_back(std::move(entry));
    }
    if (in.remaining() != 0) return std::nullopt;

    std::vector<std::pair<std::string_view, uint32_t>> keys;
    keys.reserve(entries.size());
    for (const auto& e : entries) keys.emplace_back(e.type, e.id);
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) return std::nullopt;
    return entries;
}

std::vector<Resource> ReadResourceTable(std::span<const uint8_t> bytes) {
    return ReadAll(SpanSource(bytes));
}

uint64_t ResourceTableOffset(std::span<const uint8_t> bytes) {
    const auto table = ParseTable(SpanSource(bytes));
    return table ? table->location.table_offset : bytes.size();
}

std::optional<std::vector<uint8_t>> BuildResourceTable(std::span<const Resource> resources) {
    std::vector<std::pair<std::string_view, uint32_t>> keys;
    for (const auto& r : resources) {
        if (r.type.empty() || r.type.size() > kMaxTypeLength) return std::nullopt;
        keys.emplace_back(r.type, r.id);
    }
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) return std::nullopt;

    ByteWriter out;
    std::vector<uint64_t> offsets;
    offsets.reserve(resources.size());
    for (const auto& r : resources) {
        offsets.push_back(out.size());
        out.Bytes(r.data);
    }
    const uint64_t directory_offset = out.size();
    out.U32(static_cast<uint32_t>(resources.size()));
    for (size_t i = 0; i < resources.size(); ++i) {
        out.U16(static_cast<uint16_t>(resources[i].type.size()));
        out.Bytes(AsBytes(resources[i].type));
        out.U32(resources[i].id);
        out.U64(offsets[i]);
        out.U64(resources[i].data.size());
    }
    const uint64_t directory_size = out.size() - directory_offset;
    if (directory_size > kMaxResourceDirectorySize) return std::nullopt;
    out.U64(out.size() + kResourceTrailerSize);
    out.U64(directory_offset);
    out.U32(static_cast<uint32_t>(directory_size));
    out.U32(kResourceFormatVersion);
    out.Bytes(kResourceMagic);
    return out.Take();
}

std::optional<std::vector<uint8_t>> LoadResource(const std::string& file, std::string_view type,
                                                 uint32_t id) {
    try {
        const FileReader reader = FileReader::Open(file);
        if (!reader.IsOpen()) return std::nullopt;
        const auto table = ParseTable(reader);
        if (!table) return std::nullopt;
        for (const auto& entry : table->entries) {
            if (entry.id == id && entry.type == type) return ReadData(reader, entry);
        }
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::vector<Resource> ListResources(const std::string& file) {
    try {
        const FileReader reader = FileReader::Open(file);
        if (!reader.IsOpen()) return {};
        return ReadAll(reader);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool WriteResources(const std::string& file, std::span<const Resource> resources) {
    try {
        const auto table = BuildResourceTable(resources);
        return table && ReplaceTable(file, *table);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool StripResources(const std::string& file) {
    try {
        return ReplaceTable(file, {});
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace md::platform
