// The registry of module types: every kind of module a patch may contain, by id.
//
// Threading: setup thread only; not thread-safe. Types are registered while the plug-in
// starts and while a patch that carries module libraries loads; the registry has no lock and
// its creation on first use is not guarded against concurrent first use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/module_info.h"

namespace md {

class CDocOb;
class Module_Info_Plugin;

// One entry of the file-type table.
struct FileType {
    std::string extension;  // without dot; "*" for any
    std::string description;
    std::string folder;  // the plug-in's data folder
};
inline constexpr size_t kFileTypeCount = 12;

// One entry of the legacy table: the types old patches name "BI<n>", n = the entry's index.
struct LegacyModuleEntry {
    const char* id;  // empty: placeholder, not registered
    const char* extra_text1;
    int32_t name_number;
    int32_t group_number;
    const char* doc_class;  // document factory, found with FindDocFactory
    const char* dsp_class;  // DSP factory, found with FindDspFactory; empty for none
    int32_t flags;          // without module_flag::kBuiltIn
    const char* extra_text2;
};

// Number of legacy entries after the unused entry 0.
inline constexpr int32_t kLegacyModuleCount = 44;

// The legacy table: entries 0 (empty) to kLegacyModuleCount. Any thread.
std::span<const LegacyModuleEntry> LegacyModuleTable();

class ModuleRegistry {
public:
    using Map = std::map<std::string, std::unique_ptr<Module_Info>, std::less<>>;

    enum class Contents {
        kBuiltIn,  // the built-in module types
        kEmpty,    // nothing: for registries built by tests
    };

    // kBuiltIn registers the legacy table (legacy number = entry index), then the other
    // built-in types, then the ModuleRecord types.
    explicit ModuleRegistry(Contents contents = Contents::kBuiltIn);
    ~ModuleRegistry();
    ModuleRegistry(const ModuleRegistry&) = delete;
    ModuleRegistry& operator=(const ModuleRegistry&) = delete;

    // Takes ownership. False (info destroyed) when its id is empty. An id that is present
    // already keeps its first type: the message "RegisterModule Error. Module found twice. %s"
    // is shown, the new info destroyed, and the result is still true.
    bool RegisterModule(std::unique_ptr<Module_Info> info);

    // The type registered under `id` (exact, case-sensitive). An unknown id of the form
    // "BI<n>" names the first type, in id order, whose legacy number is n (the digits after
    // optional blanks and sign; none give 0). Null when nothing matches.
    Module_Info* FindModule(std::string_view id) const;

    // The document object of type `id` from its document factory (a module comes with its
    // title and plugs); null when the id is not registered or its document class doesn't
    // exist. A template only so that it is compiled where CDocOb is complete; `Doc` is always
    // CDocOb.
    template <class Doc = CDocOb>
    std::unique_ptr<Doc> CreateDocObject(std::string_view id) const {
        Module_Info* info = FindModule(id);
        if (info == nullptr || info->doc_factory() == nullptr) return nullptr;
        return info->doc_factory()(info);
    }

    // All types, ordered by byte-wise comparison of the id.
    const Map& modules() const { return modules_; }

    // A file the patch carries, written out under `full_path`:
    //   "md1", "dll": folder + separator + file name is appended to files();
    //   "mdp", "mdm": the module library is loaded and each module type it offers is
    //                 registered under its identifier. An identifier present already keeps
    //                 its first type; when that one came from another library file, the
    //                 message "Module FOUND TWICE!, only one loaded\n%s\n%s" (this path, the
    //                 loaded one) is shown. A library that doesn't load registers nothing,
    //                 silently.
    // Extensions are compared case-sensitively; other files are ignored.
    void RegisterPluginFile(std::string_view folder, std::string_view file_name,
                            std::string_view full_path);

    // Patch and plug-in library files found by RegisterPluginFile, in order.
    const std::vector<std::string>& files() const { return files_; }

    // The file-type table, every folder set to the data folder.
    const std::array<FileType, kFileTypeCount>& file_types();
    // Folder of the first file type with this extension, else of the default entry.
    const std::string& FolderFor(std::string_view extension);

    // The plug-in's data folder: the folder of the plug-in library, then its file name
    // without extension, then a separator. Computed once on first request.
    const std::string& DataFolder();
    // Replaces the data folder of this registry (tests, tools).
    void SetDataFolder(std::string folder);

private:
    void InsertPluginType(std::unique_ptr<Module_Info_Plugin> info);
    void ApplyDataFolder();

    // Destroyed in reverse order: the types first, then the file-type table and the file list.
    std::vector<std::string> files_;
    std::array<FileType, kFileTypeCount> file_types_;
    std::string data_folder_;
    bool data_folder_known_ = false;
    Map modules_;
};

// The process's registry, created (with the built-in types) on first use.
// Setup thread only; not thread-safe.
ModuleRegistry& Registry();

// Registers the built-in module types into `registry`, as its kBuiltIn constructor does.
void RegisterBuiltInModuleTypes(ModuleRegistry& registry);

// One tab-separated line describing a registered type (diagnostics, "mdpatch types"): id,
// legacy number, name number, group number, flags ("0x1108"), document class, unit class ("-"
// while the type has no DSP factory), number of plug descriptors. No line break.
std::string DescribeModuleType(const Module_Info& info);

}  // namespace md
