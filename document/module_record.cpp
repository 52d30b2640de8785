#include "document/module_record.h"

#include <utility>

#include "document/module_info.h"
#include "document/module_registry.h"
#include "document/string_table.h"

namespace md {

std::string PlugTextToString(PlugText text) {
    if (text < kPlugStringNumberLimit)
        return std::string(LookupString(static_cast<uint32_t>(text)));
    std::string out;
    for (const char16_t* p = reinterpret_cast<const char16_t*>(text); *p != u'\0'; ++p) {
        out.push_back(*p <= 0xFF ? static_cast<char>(*p) : '?');
    }
    return out;
}

InterfaceObject MakeInterfaceObject(const PlugRecord& record) {
    return InterfaceObject::Make(
        nullptr, static_cast<Direction>(record.direction), static_cast<DataType>(record.data_type),
        PlugTextToString(record.name), PlugTextToString(record.default_value),
        PlugTextToString(record.meta), record.flags);
}

std::unique_ptr<Module_Info> MakeModuleInfo(const ModuleRecord& record) {
    ModuleInfoFields fields;
    fields.id = record.id != nullptr ? record.id : "";
    fields.name_number = record.name_number;
    fields.group_number = record.group_number;
    fields.flags = record.flags;
    fields.legacy_number = -1;
    fields.doc_factory = record.doc_factory;
    fields.dsp_factory = record.dsp_factory;
    fields.doc_class =
        record.doc_class != nullptr && *record.doc_class != '\0' ? record.doc_class : "CUG";
    fields.dsp_class = record.dsp_class != nullptr ? record.dsp_class : "";
    fields.plugs.reserve(record.plugs.size());
    for (const PlugRecord& plug : record.plugs) fields.plugs.push_back(MakeInterfaceObject(plug));
    return std::make_unique<Module_Info>(std::move(fields));
}

bool RegisterModuleRecord(ModuleRegistry& registry, const ModuleRecord& record) {
    return registry.RegisterModule(MakeModuleInfo(record));
}

}  // namespace md
