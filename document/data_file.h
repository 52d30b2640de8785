// Data files a patch refers to by name (samples, wave tables, MIDI files): a file on disk, or
// else one of the files embedded in the patch.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "document/embedded_file.h"
#include "platform/files.h"

namespace md {

// A read-only file: an open disk file or a view over an embedded file's bytes. Move-only. A
// view borrows the embedded bytes, which must outlive it and stay unchanged. One object is used
// from one thread at a time.
class DataFile {
public:
    // `reader` is open; `path` is what it was opened from.
    static DataFile OnDisk(platform::FileReader reader, std::string path);
    static DataFile Embedded(const EmbeddedFile& file);
    static DataFile Embedded(const EmbeddedFile&&) = delete;  // would borrow from a temporary

    DataFile(DataFile&&) noexcept = default;
    DataFile& operator=(DataFile&&) noexcept = default;
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // True for a view over embedded bytes.
    bool embedded() const { return std::holds_alternative<std::span<const uint8_t>>(source_); }
    // The disk path opened, or the embedded file's stored name.
    const std::string& name() const { return name_; }

    uint64_t size() const;
    // Fills `out` from `offset`; false unless every byte lies inside the file and was read.
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) const;
    // The whole content; nullopt when it can't be read or is larger than
    // platform::kMaxWholeFileSize.
    std::optional<std::vector<uint8_t>> ReadAll() const;

private:
    DataFile(std::variant<platform::FileReader, std::span<const uint8_t>> source, std::string name)
        : source_(std::move(source)), name_(std::move(name)) {}

    std::variant<platform::FileReader, std::span<const uint8_t>> source_;
    std::string name_;
};

// Opens the data file a patch names.
//   - A name whose file-name part has no '.' gets `default_extension` appended after a dot
//     (nothing is appended when `default_extension` is empty).
//   - A name starting with '/' or with a drive ("C:") is used as it is; any other name,
//     including one starting with '\\', is taken inside `data_folder` (which ends with a
//     separator, or is empty for the current folder). Backslashes become this platform's
//     separator.
//   - When no regular file can be opened there, the first embedded file whose file-name part
//     equals the name's, ignoring ASCII case, is returned as a view over its bytes. The
//     file-name part is the text after the last '/' or '\\', or after the drive in a name
//     such as "C:Kick.wav".
// Nullopt when neither is found, or when the name has no file-name part (it is empty, ends
// with a separator or is a bare drive). Setup or GUI thread: it touches the file system. The
// returned view borrows from `embedded`.
std::optional<DataFile> OpenDataFile(std::string_view name, std::string_view default_extension,
                                     std::string_view data_folder,
                                     std::span<const EmbeddedFile> embedded);

}  // namespace md
