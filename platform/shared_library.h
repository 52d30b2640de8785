// A dynamic library loaded at run time (plug-in modules, extension modules).
#pragma once

#include <string>

namespace md::platform {

// Owns one load of a dynamic library; unloads it when destroyed. Move-only.
// Loading and unloading are setup work (never on the audio thread); one object is used from
// one thread at a time. Symbol addresses stay valid until the library is unloaded.
class SharedLibrary {
public:
    // Loads the library at `path`, resolving all its symbols now and keeping them private to it.
    // On failure IsLoaded() is false and error() holds the system's explanation. Setup only.
    static SharedLibrary Load(const std::string& path);

    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsLoaded() const { return handle_ != nullptr; }

    // Address of an exported symbol; null when it is absent or nothing is loaded.
    void* Symbol(const char* name) const;

    // Typed form of Symbol for functions: `auto f = lib.Function<int (*)(int)>("name");`
    template <typename FunctionPointer>
    FunctionPointer Function(const char* name) const {
        return reinterpret_cast<FunctionPointer>(Symbol(name));
    }

    // Unloads the library (if loaded). The path stays, the error is cleared. Setup only.
    void Unload();

    // The path given to Load.
    const std::string& path() const { return path_; }
    // Why Load failed; empty after a successful load.
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};

}  // namespace md::platform
