// Module types described as static blocks: a ModuleRecord with its array of PlugRecords.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "document/doc_factories.h"
#include "document/dsp_factories.h"
#include "document/interface_object.h"

namespace md {

class Module_Info;
class ModuleRegistry;

// A text field of a PlugRecord: a value below kPlugStringNumberLimit is a string-table number
// (0: empty), any other value the address of a NUL-terminated UTF-16 text.
using PlugText = uintptr_t;
inline constexpr PlugText kPlugStringNumberLimit = 0x10000;

// One plug of a record-described type. In a 32-bit build this is the 24-byte record of six
// 32-bit fields: name, direction, data type, default, meta, flags. External modules deliver
// their plugs in this shape too.
struct PlugRecord {
    PlugText name;
    int32_t direction;
    int32_t data_type;
    PlugText default_value;
    PlugText meta;
    int32_t flags;
};

static_assert(sizeof(void*) != 4 || sizeof(PlugRecord) == 24);
static_assert(sizeof(void*) != 4 ||
              (offsetof(PlugRecord, direction) == 4 && offsetof(PlugRecord, data_type) == 8 &&
               offsetof(PlugRecord, default_value) == 12 && offsetof(PlugRecord, meta) == 16 &&
               offsetof(PlugRecord, flags) == 20));

// PlugText for a UTF-16 text literal.
inline PlugText PlugString(const char16_t* text) {
    return reinterpret_cast<PlugText>(text);
}

// The 8-bit text of a PlugText: a string-table text or the UTF-16 text converted (code units
// up to 0xFF map to the same byte, others to '?').
std::string PlugTextToString(PlugText text);

// A module type described as a static block. Its flags are stored without
// module_flag::kBuiltIn and are registered as stored.
struct ModuleRecord {
    const char* id;
    int32_t name_number;
    int32_t group_number;
    DocFactory doc_factory;  // null: the plain "CUG" factory
    DspFactory dsp_factory;  // may be null
    int32_t flags;
    std::span<const PlugRecord> plugs;
    const char* doc_class;  // class names, for diagnostics
    const char* dsp_class;  // null or empty when there is no unit class
};

// The descriptor of one PlugRecord: empty hint, null pointers, the audio-input flag rule
// applied.
InterfaceObject MakeInterfaceObject(const PlugRecord& record);

// A Module_Info built from the record: flags as stored, legacy number -1, plugs from the
// PlugRecords; no DSP object is created.
std::unique_ptr<Module_Info> MakeModuleInfo(const ModuleRecord& record);

// MakeModuleInfo, then ModuleRegistry::RegisterModule. Setup thread only; not thread-safe.
bool RegisterModuleRecord(ModuleRegistry& registry, const ModuleRecord& record);

}  // namespace md
