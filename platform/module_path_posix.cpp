// Finding the file the running code was loaded from, on POSIX systems.
#ifndef _WIN32

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/module_path.h"

namespace md::platform {

namespace {

// An address inside this module: dladdr maps it back to the file it was loaded from. It has
// internal linkage, so it can't be bound to a copy living in another module.
const char kAnchor = 0;

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

}  // namespace

std::string OwnModulePath() {
    Dl_info info{};
    if (::dladdr(&kAnchor, &info) == 0 || info.dli_fname == nullptr) return {};
    std::string path = info.dli_fname;
#ifdef __linux__
    // The executable may be reported by its bare invocation name.
    if (path.find('/') == std::string::npos) {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n > 0) return std::string(buffer, static_cast<size_t>(n));
    }
#endif
    if (!path.empty() && !IsAbsolutePath(path)) {
        std::string_view relative = path;
        while (relative.starts_with("./")) relative.remove_prefix(2);
        path = JoinPath(CurrentFolder(), relative);
    }
    return path;
}

}  // namespace md::platform

#endif  // _WIN32
