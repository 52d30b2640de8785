// Module type descriptor: one Module_Info per kind of module a patch may contain.
//
// A Module_Info is built while module types are registered (setup thread) and owned by the
// registry; afterwards it is only read, except that external module types load their library
// on demand. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "document/doc_factories.h"
#include "document/dsp_factories.h"
#include "document/interface_object.h"

namespace md {

class CVisualOb;
class ug_base;

// A panel representation with the deleter of the factory that made it, so that module types
// can be described without the panel classes.
using VisualObPtr = std::unique_ptr<CVisualOb, void (*)(CVisualOb*)>;

// Bits of Module_Info::flags().
namespace module_flag {
inline constexpr int32_t kContainer = 0x0001;    // with kContainerIo
inline constexpr int32_t kContainerIo = 0x0002;  // owns container IO plugs
inline constexpr int32_t kIoMod = 0x0004;        // the IO module of a container
inline constexpr int32_t kRetired = 0x0008;      // retired, internal or structural; carried only
inline constexpr int32_t kNoteSource = 0x0020;
inline constexpr int32_t kPolyController = 0x0040;  // its container is not a DSP container
inline constexpr int32_t kPanel = 0x0080;           // has a front-panel representation
inline constexpr int32_t kStructure = 0x0100;       // has a structure-view representation
inline constexpr int32_t kBuiltIn = 0x1000;         // built in (not an external module)
inline constexpr int32_t kCustomVisual = 0x2000;    // panel representation from CreateVisual
}  // namespace module_flag

// Display names are read into a buffer of this many characters, terminator included.
inline constexpr size_t kDisplayNameBuffer = 100;

// Everything a Module_Info holds, for registrations that store their values as given.
struct ModuleInfoFields {
    std::string id;
    std::string extra_text1;
    std::string extra_text2;
    int32_t name_number = 0;
    int32_t group_number = 0;
    int32_t flags = 0;
    int32_t legacy_number = -1;
    DocFactory doc_factory = nullptr;  // null: the plain "CUG" factory
    DspFactory dsp_factory = nullptr;
    std::string doc_class = "CUG";
    std::string dsp_class;
    InterfaceList plugs;
};

class Module_Info {
public:
    // The ordinary constructor, used by every built-in registration except ModuleRecord
    // blocks: stores the fields, adds module_flag::kBuiltIn, uses the plain "CUG" document
    // factory when `doc_factory` is null, then creates the DSP object (when there is a DSP
    // factory), lets it list its plugs into plugs() and destroys it. The class names are kept
    // for diagnostics; an empty `doc_class` reads as "CUG".
    Module_Info(std::string id, std::string extra_text2, int32_t name_number, int32_t group_number,
                DocFactory doc_factory, DspFactory dsp_factory, int32_t flags,
                int32_t legacy_number, std::string doc_class = {}, std::string dsp_class = {});

    // Stores the fields as given (no flag added, no DSP object created); a null document
    // factory still becomes the plain "CUG" one.
    explicit Module_Info(ModuleInfoFields fields);

    virtual ~Module_Info();
    Module_Info(const Module_Info&) = delete;
    Module_Info& operator=(const Module_Info&) = delete;

    // --- operations in dispatch order -------------------------------------------------
    // A copy of the id: the registry key and the name patches store the type under.
    virtual std::string GetId() const;
    // A new DSP object of this type; null when the type has none.
    virtual std::unique_ptr<ug_base> CreateDspObject();
    // The panel representation of types that make their own; null here.
    virtual VisualObPtr CreateVisual();

    // The string of name_number() (at most kDisplayNameBuffer - 1 characters, empty when the
    // string table lacks it); the id when name_number() is 0.
    std::string GetDisplayName() const;

    // The plugs and parameters in plug-index order. Their variable pointers are null.
    const InterfaceList& plugs() const { return plugs_; }
    int32_t flags() const { return flags_; }
    int32_t legacy_number() const { return legacy_number_; }
    int32_t name_number() const { return name_number_; }
    int32_t group_number() const { return group_number_; }
    const std::string& extra_text1() const { return extra_text1_; }
    const std::string& extra_text2() const { return extra_text2_; }
    DocFactory doc_factory() const { return doc_factory_; }
    DspFactory dsp_factory() const { return dsp_factory_; }
    const std::string& doc_class() const { return doc_class_; }
    const std::string& dsp_class() const { return dsp_class_; }

protected:
    // Lets `unit` append its descriptors to plugs() and clears their variable pointers (the
    // unit is about to go; the registry's copy binds nothing).
    void ListPlugsOf(ug_base& unit);

    DocFactory doc_factory_ = nullptr;
    DspFactory dsp_factory_ = nullptr;
    std::string id_;
    std::string extra_text1_;
    std::string extra_text2_;
    InterfaceList plugs_;
    int32_t name_number_ = 0;
    int32_t group_number_ = 0;
    int32_t flags_ = 0;
    int32_t legacy_number_ = -1;
    std::string doc_class_;
    std::string dsp_class_;
};

// Creates the panel representation of a Module_Info2 type.
using VisualFactory = VisualObPtr (*)(Module_Info* type);

// A type with a second plug list whose panel representation comes from a factory of its own.
// No type of this runtime registers one.
class Module_Info2 : public Module_Info {
public:
    Module_Info2(std::string id, std::string extra_text2, int32_t name_number, int32_t group_number,
                 DocFactory doc_factory, DspFactory dsp_factory, VisualFactory visual_factory,
                 int32_t flags, int32_t legacy_number, std::string doc_class = {},
                 std::string dsp_class = {});

    // Calls the visual factory; null when there is none.
    VisualObPtr CreateVisual() override;

    InterfaceList& plugs2() { return plugs2_; }
    const InterfaceList& plugs2() const { return plugs2_; }

private:
    InterfaceList plugs2_;
    VisualFactory visual_factory_ = nullptr;
};

}  // namespace md
