#include "document/module_registry.h"

#include <cstdio>
#include <utility>

#include "document/it_enum_list.h"
#include "extmodule/module_info_plugin.h"
#include "extmodule/module_interface.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/module_path.h"
#include "platform/shared_library.h"

namespace md {

namespace {

constexpr std::string_view kLegacyPrefix = "BI";

// A library that never answers 0 would otherwise hang the load.
constexpr int32_t kMaxTypesPerLibrary = 4096;

}  // namespace

ModuleRegistry::ModuleRegistry(Contents contents)
    : file_types_{{
          {"*", "default", ""},
          {"wav", "Wave Files", ""},
          {"md1", "Modara Files", ""},
          {"mid", "MIDI Files", ""},
          {"sf2", "SoundFont Files", ""},
          {"dll", "Plugin", ""},
          {"fxb", "VST Bank", ""},
          {"fxp", "VST Inst", ""},
          {"bmp", "Image Files", ""},
          {"png", "Image Files", ""},
          {"*", "Embeddable Files", ""},
          {"", "", ""},
      }} {
    if (contents == Contents::kBuiltIn) RegisterBuiltInModuleTypes(*this);
}

ModuleRegistry::~ModuleRegistry() = default;

bool ModuleRegistry::RegisterModule(std::unique_ptr<Module_Info> info) {
    if (info == nullptr) return false;
    std::string id = info->GetId();
    if (id.empty()) return false;
    const auto it = modules_.find(id);
    if (it == modules_.end()) {
        modules_.emplace(std::move(id), std::move(info));
        return true;
    }
    platform::ShowMessage("RegisterModule Error. Module found twice. " + id,
                          platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    return true;
}

Module_Info* ModuleRegistry::FindModule(std::string_view id) const {
    if (const auto it = modules_.find(id); it != modules_.end()) return it->second.get();
    if (!id.starts_with(kLegacyPrefix)) return nullptr;
    const int32_t number = ReadDecimalPrefix(id.substr(kLegacyPrefix.size()));
    for (const auto& entry : modules_) {
        if (entry.second->legacy_number() == number) return entry.second.get();
    }
    return nullptr;
}

void ModuleRegistry::RegisterPluginFile(std::string_view folder, std::string_view file_name,
                                        std::string_view full_path) {
    const std::string_view extension = platform::ExtensionOf(file_name);
    if (extension == "md1" || extension == "dll") {
        files_.push_back(platform::JoinPath(folder, file_name));
        return;
    }
    if (extension != "mdp" && extension != "mdm") return;
    if (full_path.empty()) return;  // the file could not be written out

    const std::string path(full_path);
    platform::SharedLibrary library = platform::SharedLibrary::Load(path);
    if (!library.IsLoaded()) return;  // reported when a module of it is created

    const auto get_properties =
        library.Function<GetModulePropertiesFn>(MD_EXPORT_GET_MODULE_PROPERTIES);
    if (get_properties == nullptr) {
        // First generation: one type per library.
        InsertPluginType(std::make_unique<Module_Info_Plugin>(path, 0));
        return;
    }
    for (int32_t index = 0; index < kMaxTypesPerLibrary; ++index) {
        ModuleProperties properties{};
        if (get_properties(index, &properties) == 0) break;
        InsertPluginType(std::make_unique<Module_Info_Plugin>(path, index));
    }
}

void ModuleRegistry::InsertPluginType(std::unique_ptr<Module_Info_Plugin> info) {
    std::string id = info->GetId();
    if (id.empty()) return;  // the library named no identifier: nothing to register under
    const auto it = modules_.find(id);
    if (it == modules_.end()) {
        modules_.emplace(std::move(id), std::move(info));
        return;
    }
    const auto* present = dynamic_cast<const Module_Info_Plugin*>(it->second.get());
    if (present != nullptr && present->full_path() != info->full_path()) {
        platform::ShowMessage("Module FOUND TWICE!, only one loaded\n" + info->full_path() + "\n" +
                                  present->full_path(),
                              platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    }
}

const std::string& ModuleRegistry::DataFolder() {
    if (!data_folder_known_) {
        data_folder_ = platform::DataFolderFor(platform::OwnModulePath());
        data_folder_known_ = true;
        ApplyDataFolder();
    }
    return data_folder_;
}

void ModuleRegistry::SetDataFolder(std::string folder) {
    data_folder_ = std::move(folder);
    data_folder_known_ = true;
    ApplyDataFolder();
}

void ModuleRegistry::ApplyDataFolder() {
    for (FileType& type : file_types_) type.folder = data_folder_;
}

const std::array<FileType, kFileTypeCount>& ModuleRegistry::file_types() {
    DataFolder();
    return file_types_;
}

const std::string& ModuleRegistry::FolderFor(std::string_view extension) {
    DataFolder();
    for (const FileType& type : file_types_) {
        if (type.extension == extension) return type.folder;
    }
    return file_types_.front().folder;
}

ModuleRegistry& Registry() {
    static ModuleRegistry registry;
    return registry;
}

std::string DescribeModuleType(const Module_Info& info) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%04x", static_cast<unsigned>(info.flags()));
    const std::string dsp = info.dsp_factory() != nullptr ? info.dsp_class() : std::string("-");
    return info.GetId() + '\t' + std::to_string(info.legacy_number()) + '\t' +
           std::to_string(info.name_number()) + '\t' + std::to_string(info.group_number()) + '\t' +
           flags + '\t' + info.doc_class() + '\t' + dsp + '\t' +
           std::to_string(info.plugs().size());
}

}  // namespace md
