#include "document/data_file.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

namespace md {

namespace {

constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

constexpr bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// "C:" and anything after it: a path on a given drive, never taken inside the data folder.
bool HasDrive(std::string_view path) {
    return path.size() >= 2 &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':';
}

// The file-name part; in a drive-relative name such as "C:Kick.wav" it follows the drive.
std::string_view FileName(std::string_view path) {
    const std::string_view name = platform::FileNamePart(path);
    return name.size() == path.size() && HasDrive(path) ? name.substr(2) : name;
}

// Where on disk `request` (extension already added) is looked for.
std::string DiskPath(std::string_view request, std::string_view data_folder) {
    if (request.starts_with('/') || HasDrive(request)) return platform::NativePath(request);
    // A leading backslash roots the name on the current drive on Windows; here the data folder
    // stands in for that root.
    while (request.starts_with('\\')) request.remove_prefix(1);
    std::string path(data_folder);
    if (!path.empty() && !IsSeparator(path.back())) path += platform::kPathSeparator;
    path += platform::NativePath(request);
    return path;
}

}  // namespace

DataFile DataFile::OnDisk(platform::FileReader reader, std::string path) {
    return DataFile(std::move(reader), std::move(path));
}

DataFile DataFile::Embedded(const EmbeddedFile& file) {
    return DataFile(std::span<const uint8_t>(file.data), file.name);
}

uint64_t DataFile::size() const {
    if (const auto* bytes = std::get_if<std::span<const uint8_t>>(&source_)) return bytes->size();
    return std::get<platform::FileReader>(source_).size();
}

bool DataFile::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
    if (const auto* bytes = std::get_if<std::span<const uint8_t>>(&source_)) {
        if (offset > bytes->size() || out.size() > bytes->size() - offset) return false;
        std::copy_n(bytes->begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    }
    return std::get<platform::FileReader>(source_).ReadAt(offset, out);
}

std::optional<std::vector<uint8_t>> DataFile::ReadAll() const {
    if (size() > platform::kMaxWholeFileSize) return std::nullopt;
    try {
        std::vector<uint8_t> data(static_cast<size_t>(size()));
        if (!ReadAt(0, data)) return std::nullopt;
        return data;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<DataFile> OpenDataFile(std::string_view name, std::string_view default_extension,
                                     std::string_view data_folder,
                                     std::span<const EmbeddedFile> embedded) {
    if (FileName(name).empty()) return std::nullopt;
    std::string request(name);
    if (FileName(name).find('.') == std::string_view::npos && !default_extension.empty()) {
        request += '.';
        request += default_extension;
    }

    std::string path = DiskPath(request, data_folder);
    if (auto reader = platform::FileReader::Open(path); reader.IsOpen()) {
        return DataFile::OnDisk(std::move(reader), std::move(path));
    }

    const std::string_view wanted = FileName(request);
    for (const EmbeddedFile& file : embedded) {
        if (EqualsIgnoringAsciiCase(FileName(file.name), wanted)) {
            return DataFile::Embedded(file);
        }
    }
    return std::nullopt;
}

}  // namespace md
