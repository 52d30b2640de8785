// Dynamic libraries on POSIX systems.
#ifndef _WIN32

#include <dlfcn.h>

#include <utility>

#include "platform/shared_library.h"

namespace md::platform {

SharedLibrary SharedLibrary::Load(const std::string& path) {
    SharedLibrary library;
    library.path_ = path;
    library.handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle_ == nullptr) {
        const char* why = ::dlerror();
        library.error_ = why != nullptr ? why : "cannot load " + path;
    }
    return library;
}

SharedLibrary::~SharedLibrary() {
    Unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

void* SharedLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return ::dlsym(handle_, name);
}

void SharedLibrary::Unload() {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = nullptr;
    error_.clear();
}

}  // namespace md::platform

#endif  // _WIN32
