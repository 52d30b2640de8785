// Registry entry of a module type that lives in an external module library.
//
// Built while a patch that carries the library is loaded (setup thread); not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/module_info.h"
#include "platform/shared_library.h"

namespace md {

// Flags of an external module type before its library says otherwise: a DSP type shown in the
// structure view, not built in.
inline constexpr int32_t kPluginModuleFlags = module_flag::kStructure;

class Module_Info_Plugin : public Module_Info {
public:
    // Runs the properties query for type `index` of the library at `full_path`: loads the
    // library, reads its getModuleProperties record for that index (version and name; the
    // identifier, about text, unit flags and registry flags when the record names an
    // identifier), picks the document class and unloads the library again. A library that
    // can't be loaded gives the message "Can't load MD Plugin(%s). (%s)." (system error,
    // path) and an entry without identifier.
    Module_Info_Plugin(std::string full_path, int32_t index);
    ~Module_Info_Plugin() override;

    // The identifier the library gave (empty when it gave none).
    std::string GetId() const override;
    // Not written yet: creating an instance (makeModule / main) and its unit comes with the
    // external-module units; until then there is no DSP object.
    std::unique_ptr<ug_base> CreateDspObject() override;

    const std::string& full_path() const { return full_path_; }
    int32_t index() const { return index_; }
    const std::string& identifier() const { return identifier_; }
    const std::string& about() const { return about_; }
    const std::string& name() const { return extra_text1_; }
    int32_t unit_flags() const { return unit_flags_; }
    int32_t version() const { return version_; }

    // The library while it is loaded (not between registration and first use).
    const platform::SharedLibrary& library() const { return library_; }
    // Loads the library unless it is loaded; on failure shows the load message and returns
    // false.
    bool EnsureLibraryLoaded();

private:
    void QueryProperties();

    std::string full_path_;
    int32_t index_ = 0;
    platform::SharedLibrary library_;
    std::string identifier_;
    std::string about_;
    int32_t unit_flags_ = 0;
    int32_t version_ = 0;
};

}  // namespace md
