#include "extmodule/module_info_plugin.h"

#include <utility>

#include "engine/ug_base.h"
#include "extmodule/module_interface.h"
#include "platform/message_box.h"

namespace md {

namespace {

ModuleInfoFields PluginFields() {
    ModuleInfoFields fields;
    fields.flags = kPluginModuleFlags;
    fields.doc_class = "CPlugin";
    fields.doc_factory = FindDocFactory("CPlugin");
    return fields;
}

std::string TextOrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

Module_Info_Plugin::Module_Info_Plugin(std::string full_path, int32_t index)
    : Module_Info(PluginFields()), full_path_(std::move(full_path)), index_(index) {
    QueryProperties();
}

Module_Info_Plugin::~Module_Info_Plugin() = default;  // unloads the library if loaded

std::string Module_Info_Plugin::GetId() const {
    return identifier_;
}

std::unique_ptr<ug_base> Module_Info_Plugin::CreateDspObject() {
    return nullptr;
}

bool Module_Info_Plugin::EnsureLibraryLoaded() {
    if (library_.IsLoaded()) return true;
    library_ = platform::SharedLibrary::Load(full_path_);
    if (library_.IsLoaded()) return true;
    platform::ShowMessage("Can't load MD Plugin(" + library_.error() + "). (" + full_path_ + ").",
                          platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    return false;
}

void Module_Info_Plugin::QueryProperties() {
    if (!EnsureLibraryLoaded()) return;

    const auto get_properties =
        library_.Function<GetModulePropertiesFn>(MD_EXPORT_GET_MODULE_PROPERTIES);
    if (get_properties != nullptr) {
        ModuleProperties properties{};
        get_properties(index_, &properties);
        version_ = properties.version;
        extra_text1_ = TextOrEmpty(properties.name);
        // A record without identifier leaves the rest to the instance (MOD_GET_PROPERTIES,
        // MOD_GET_NAME, MOD_GET_ID), which is queried once instances can be created.
        if (properties.id != nullptr) {
            identifier_ = properties.id;
            about_ = TextOrEmpty(properties.about);
            unit_flags_ |= properties.unit_flags;
            if (properties.registry_flags != 0) {
                flags_ = properties.registry_flags | (flags_ & module_flag::kBuiltIn);
            }
        }
    }
    id_ = identifier_;

    // Plug listing through MOD_GET_PIN_PROPERTIES and the MOD_GET_VERSION fallback need an
    // instance as well; they come with CreateDspObject.

    if (library_.Symbol(MD_EXPORT_MAKE_MODULE) != nullptr) {
        doc_class_ = "CPlugin2";
        doc_factory_ = FindDocFactory("CPlugin2");
        if (doc_factory_ == nullptr) doc_factory_ = FindDocFactory("CUG");
    }
    library_.Unload();
}

}  // namespace md
