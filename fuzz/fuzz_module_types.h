// Module types with plugs of every kind, for the archive fuzzer, its seed generator and the
// regression tests of what it finds: without plugs on the types, a loaded tree has no
// connections to attach, no spares to copy and no container IO to derive.
#pragma once

#include <memory>
#include <utility>

#include "document/module_info.h"
#include "document/module_registry.h"

namespace md::fuzz {

inline constexpr const char* kSource = "Fuzz Source";
inline constexpr const char* kSink = "Fuzz Sink";
// Renamable audio inputs that multiply as spares, and an output that takes what it drives.
inline constexpr const char* kMixer = "Fuzz Mixer";
// A type with a second (GUI-side) plug list besides its own plugs.
inline constexpr const char* kPanel = "Fuzz Panel";

namespace detail {

class PanelInfo : public Module_Info2 {
public:
    PanelInfo() : Module_Info2(kPanel, "", 0, 0, nullptr, nullptr, nullptr, 0x1100, -1, "CUG", "") {
        plugs_.push_back(InterfaceObject::Make(nullptr, DR_IN, PT_AUDIO, "Signal"));
        plugs_.push_back(InterfaceObject::Make(nullptr, DR_OUT, PT_AUDIO, "Through"));
        plugs2().push_back(
            InterfaceObject::Make(nullptr, DR_IN, PT_FLOAT, "Knob", "0.5", "", 0x0400));
        plugs2().push_back(
            InterfaceObject::Make(nullptr, DR_OUT, PT_TEXT, "Label", "", "", 0x0400));
    }
};

}  // namespace detail

// Registers the types once in the process's registry.
inline void RegisterFuzzModuleTypes() {
    ModuleRegistry& r = Registry();
    if (r.FindModule(kSource) != nullptr) return;
    auto add = [&r](const char* id, InterfaceList plugs) {
        ModuleInfoFields f;
        f.id = id;
        f.flags = 0x1100;
        f.plugs = std::move(plugs);
        r.RegisterModule(std::make_unique<Module_Info>(std::move(f)));
    };
    add(kSource, {
                     InterfaceObject::Make(nullptr, DR_OUT, PT_AUDIO, "Out"),
                     InterfaceObject::Make(nullptr, DR_OUT, PT_FLOAT, "Level"),
                     InterfaceObject::Make(nullptr, DR_OUT, PT_TEXT, "Name"),
                     InterfaceObject::Make(nullptr, DR_OUT, PT_ENUM, "Choice", "0"),
                     InterfaceObject::Make(nullptr, DR_OUT, PT_MIDI, "MIDI Out"),
                     InterfaceObject::Make(nullptr, DR_OUT, PT_FLOAT, "GUI Out", "0", "", 0x0400),
                 });
    add(kSink,
        {
            InterfaceObject::Make(nullptr, DR_IN, PT_AUDIO, "In", "0"),
            InterfaceObject::Make(nullptr, DR_IN, PT_FLOAT, "Value", "1"),
            InterfaceObject::Make(nullptr, DR_IN, PT_ENUM, "Mode", "0", "Off,On"),
            InterfaceObject::Make(nullptr, DR_IN, PT_ENUM, "Any List", "0", "Up,Down", 0x4000),
            InterfaceObject::Make(nullptr, DR_IN, PT_TEXT, "File", "", "wav"),
            InterfaceObject::Make(nullptr, DR_IN, PT_MIDI, "MIDI In"),
            InterfaceObject::Make(nullptr, DR_PARAMETER, PT_FLOAT, "Setting", "2"),
            InterfaceObject::Make(nullptr, DR_IN, PT_FLOAT, "Hidden", "0", "", 0x0100),
            InterfaceObject::Make(nullptr, DR_IN, PT_FLOAT, "GUI In", "0", "", 0x0400),
        });
    add(kMixer, {
                    InterfaceObject::Make(nullptr, DR_IN, PT_AUDIO, "Input", "0", "",
                                          plug_flag::kSpare | plug_flag::kRenamable),
                    InterfaceObject::Make(nullptr, DR_OUT, PT_AUDIO, "Mix"),
                    InterfaceObject::Make(nullptr, DR_OUT, PT_ENUM, "Follow", "0", "",
                                          plug_flag::kTakesConnectedValue),
                });
    r.RegisterModule(std::make_unique<detail::PanelInfo>());
}

}  // namespace md::fuzz
