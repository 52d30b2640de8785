// Files and paths. The functions taking `const std::string&` touch the file system; the ones
// taking std::string_view are pure text helpers, usable on names stored in patches (which may
// come from either platform and so may use '/' or '\\').
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace md::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// ReadWholeFile refuses files larger than this.
inline constexpr uint64_t kMaxWholeFileSize = uint64_t{1} << 30;  // 1 GiB

// ---- File system. Any thread, unless said otherwise. ----

// True when something (a file or a folder) exists at `path`.
bool FileExists(const std::string& path);

// True when `path` names an existing folder.
bool IsDirectory(const std::string& path);

// Creates the folder and any missing parents. True if the folder exists afterwards.
bool CreateFolder(const std::string& path);

// Last modification time in nanoseconds since 1970-01-01 UTC; nullopt when unreadable.
std::optional<int64_t> LastWriteTime(const std::string& path);

// Sets the last modification time (nanoseconds since 1970-01-01 UTC). The file system may
// round it to its own precision.
bool SetLastWriteTime(const std::string& path, int64_t nanoseconds);

// The whole content of a regular file; nullopt when it can't be read or is larger than
// kMaxWholeFileSize.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Replaces the file's content: writes a temporary file beside it, then renames it over the
// target, so readers see either the old or the new content, never a half-written file. An
// existing file keeps its permission bits; a symbolic link is written through to its target.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> data);

// Random-access reads from one file, for formats read from the tail without loading the whole
// file. Move-only; one object is used from one thread at a time.
class FileReader {
public:
    // A reader with IsOpen() false when the file can't be opened or isn't a regular file.
    static FileReader Open(const std::string& path);

    FileReader() = default;
    ~FileReader();
    FileReader(FileReader&& other) noexcept;
    FileReader& operator=(FileReader&& other) noexcept;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool IsOpen() const { return handle_ >= 0; }
    // Size in bytes when the file was opened.
    uint64_t size() const { return size_; }
    // Fills `out` from `offset`; false unless every byte could be read.
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) const;
    void Close();

private:
    intptr_t handle_ = -1;  // file descriptor on POSIX
    uint64_t size_ = 0;
};

// ---- Path text. Pure: no file system access. ----

// A stored path as this platform spells it: on POSIX every '\\' becomes '/'.
std::string NativePath(std::string_view stored);

// Text after the last '/' or '\\' (all of it when there is none).
std::string_view FileNamePart(std::string_view path);

// Text up to and including the last '/' or '\\' (empty when there is none), so that
// FolderPart(p) + FileNamePart(p) == p.
std::string_view FolderPart(std::string_view path);

// Text after the last '.' of the file-name part, without the dot; empty when there is none.
std::string_view ExtensionOf(std::string_view path);

// The file-name part without its extension and dot.
std::string_view StemOf(std::string_view path);

// `name` inside `folder`, with one separator between them (kPathSeparator unless `folder`
// already ends with '/' or '\\'). An absolute `name` or an empty `folder` gives `name`.
std::string JoinPath(std::string_view folder, std::string_view name);

// True for "/x", "\\x", "\\\\server\\x" and drive forms such as "C:\\x" or "C:/x".
bool IsAbsolutePath(std::string_view path);

}  // namespace md::platform
