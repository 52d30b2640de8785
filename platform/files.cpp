// Path text helpers shared by every platform.
#include "platform/files.h"

#include <algorithm>

namespace md::platform {

namespace {

constexpr bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

constexpr bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Index just past the last separator, 0 when there is none.
size_t FileNameStart(std::string_view path) {
    const size_t last = path.find_last_of("/\\");
    return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string NativePath(std::string_view stored) {
    std::string out(stored);
#ifdef _WIN32
    std::replace(out.begin(), out.end(), '/', '\\');
#else
    std::replace(out.begin(), out.end(), '\\', '/');
#endif
    return out;
}

std::string_view FileNamePart(std::string_view path) {
    return path.substr(FileNameStart(path));
}

std::string_view FolderPart(std::string_view path) {
    return path.substr(0, FileNameStart(path));
}

std::string_view ExtensionOf(std::string_view path) {
    const std::string_view name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

std::string_view StemOf(std::string_view path) {
    const std::string_view name = FileNamePart(path);
    return name.substr(0, std::min(name.rfind('.'), name.size()));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty() || IsAbsolutePath(name)) return std::string(name);
    std::string out(folder);
    if (!IsSeparator(out.back())) out += kPathSeparator;
    out += name;
    return out;
}

bool IsAbsolutePath(std::string_view path) {
    if (!path.empty() && IsSeparator(path[0])) return true;
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
}

}  // namespace md::platform
