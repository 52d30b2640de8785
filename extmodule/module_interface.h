/* The C interface between the runtime and external module libraries (.mdm, .mdp).
 *
 * Shared with module libraries: compiles as C (C11) and C++ and depends on nothing else of the
 * runtime. Records are 32-bit little-endian with 4-byte alignment in a 32-bit build; pointer
 * fields are pointer-sized, so a 64-bit build keeps the field order with wider pointers.
 * Every function uses the platform's C calling convention (caller removes arguments).
 */
#ifndef MD_EXTMODULE_MODULE_INTERFACE_H
#define MD_EXTMODULE_MODULE_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define MD_CDECL __cdecl
#else
#define MD_CDECL
#endif

/* Marks a function a module library exports by name. */
#ifdef __cplusplus
#define MD_EXTERN_C extern "C"
#else
#define MD_EXTERN_C
#endif
#if defined(_WIN32)
#define MD_MODULE_EXPORT MD_EXTERN_C __declspec(dllexport)
#else
#define MD_MODULE_EXPORT MD_EXTERN_C __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define MD_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define MD_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What a library tells about one of its module types. The host zeroes it before each call
 * of getModuleProperties; the module fills it. The strings must stay valid while the library
 * is loaded; the host copies them. */
typedef struct ModuleProperties {
    const char* name;       /* shown to the user */
    const char* id;         /* registry key, stored in patches; null: ask the instance */
    const char* about;      /* free text, may hold line breaks */
    int32_t unit_flags;     /* ORed into the flags word of every unit of the type */
    int32_t registry_flags; /* non-zero: replaces the type's flags, keeping bit 0x1000 */
    int32_t version;        /* interface version; 0 = unknown */
} ModuleProperties;

MD_STATIC_ASSERT(sizeof(void*) != 4 || sizeof(ModuleProperties) == 24,
                 "ModuleProperties is 24 bytes in a 32-bit build");
MD_STATIC_ASSERT(sizeof(void*) != 4 || (offsetof(ModuleProperties, id) == 4 &&
                                        offsetof(ModuleProperties, about) == 8 &&
                                        offsetof(ModuleProperties, unit_flags) == 12 &&
                                        offsetof(ModuleProperties, registry_flags) == 16 &&
                                        offsetof(ModuleProperties, version) == 20),
                 "ModuleProperties field offsets");

/* The first-generation instance record (returned by main). */
typedef struct LegacyModuleInstance LegacyModuleInstance;

/* Calls from a module to the host. `record` is the module's instance record. */
typedef int32_t(MD_CDECL* HostCallback)(void* record, int32_t opcode, int32_t index, int32_t value,
                                        void* ptr, float opt);

/* Exports of a module library, looked up by these names. */
#define MD_EXPORT_GET_MODULE_PROPERTIES "getModuleProperties"
#define MD_EXPORT_MAKE_MODULE "makeModule"
#define MD_EXPORT_LEGACY_MAIN "main"

/* "getModuleProperties" (second generation): fills `out` for module type `index` (0, 1, 2 ...);
 * returns 0 when the library has no type of that index. */
typedef int32_t(MD_CDECL* GetModulePropertiesFn)(int32_t index, ModuleProperties* out);

/* "makeModule" (second generation): creates an instance of type `index`; profile 1 gives the
 * DSP part, profile 2 the GUI part. */
typedef void*(MD_CDECL* MakeModuleFn)(int32_t index, int32_t profile, HostCallback callback,
                                      void* host_handle);

/* "main" (first generation): creates the library's one module instance. */
typedef LegacyModuleInstance*(MD_CDECL* LegacyMainFn)(HostCallback callback);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* MD_EXTMODULE_MODULE_INTERFACE_H */
