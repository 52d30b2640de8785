// File system access on POSIX systems.
#ifndef _WIN32

// 64-bit file offsets on 32-bit systems too.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/files.h"

namespace md::platform {

namespace {

constexpr int64_t kNanosPerSecond = 1'000'000'000;

// Largest single read or write request, well inside ssize_t on 32-bit systems.
constexpr size_t kMaxIoChunk = size_t{1} << 30;

bool WriteAll(int fd, std::span<const uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), std::min(data.size(), kMaxIoChunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data = data.subspan(static_cast<size_t>(n));
    }
    return true;
}

// The file a write to `path` should replace: the target of a symbolic link, else `path`.
std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
}

// Creates a new, empty temporary file beside `target`; returns its descriptor and name.
std::pair<int, std::string> CreateTemporaryBeside(const std::string& target) {
    static std::atomic<uint32_t> counter{0};
    const std::string stem =
        std::string(FolderPart(target)) + "." + std::string(FileNamePart(target)) + ".tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return {fd, std::move(name)};
        if (errno != EEXIST) break;
    }
    return {-1, {}};
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    // Each parent first; failures show up in the final check.
    for (size_t i = path.find('/', 1); i != std::string::npos; i = path.find('/', i + 1)) {
        const std::string parent = path.substr(0, i);
        ::mkdir(parent.c_str(), 0777);
    }
    ::mkdir(path.c_str(), 0777);
    return IsDirectory(path);
}

std::optional<int64_t> LastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
#ifdef __APPLE__
    const struct timespec t = st.st_mtimespec;
#else
    const struct timespec t = st.st_mtim;
#endif
    const int64_t seconds = static_cast<int64_t>(t.tv_sec);
    if (seconds > INT64_MAX / kNanosPerSecond - 1 || seconds < INT64_MIN / kNanosPerSecond + 1) {
        return std::nullopt;
    }
    return seconds * kNanosPerSecond + static_cast<int64_t>(t.tv_nsec);
}

bool SetLastWriteTime(const std::string& path, int64_t nanoseconds) {
    int64_t seconds = nanoseconds / kNanosPerSecond;
    int64_t rest = nanoseconds % kNanosPerSecond;
    if (rest < 0) {  // tv_nsec must lie in [0, 1e9)
        rest += kNanosPerSecond;
        seconds -= 1;
    }
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;  // leave the access time alone
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = static_cast<long>(rest);
    if (static_cast<int64_t>(times[1].tv_sec) != seconds) return false;  // beyond a 32-bit time_t
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    const FileReader reader = FileReader::Open(path);
    if (!reader.IsOpen() || reader.size() > kMaxWholeFileSize) return std::nullopt;
    try {
        std::vector<uint8_t> data(static_cast<size_t>(reader.size()));
        if (!reader.ReadAt(0, data)) return std::nullopt;
        return data;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> data) {
    const std::string target = WriteTarget(path);
    struct stat existing {};
    const bool keep_mode = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);

    auto [fd, temporary] = CreateTemporaryBeside(target);
    if (fd < 0) return false;
    bool ok = (!keep_mode || ::fchmod(fd, existing.st_mode & 07777) == 0) && WriteAll(fd, data) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

FileReader FileReader::Open(const std::string& path) {
    FileReader reader;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return reader;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return reader;
    }
    reader.handle_ = fd;
    reader.size_ = static_cast<uint64_t>(st.st_size);
    return reader;
}

FileReader::~FileReader() {
    Close();
}

FileReader::FileReader(FileReader&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), size_(std::exchange(other.size_, 0)) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, -1);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void FileReader::Close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
    size_ = 0;
}

bool FileReader::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
    if (handle_ < 0) return false;
    if (offset > size_ || out.size() > size_ - offset) return false;
    while (!out.empty()) {
        const ssize_t n = ::pread(static_cast<int>(handle_), out.data(),
                                  std::min(out.size(), kMaxIoChunk), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // error, or the file shrank
        out = out.subspan(static_cast<size_t>(n));
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

}  // namespace md::platform

#endif  // _WIN32
