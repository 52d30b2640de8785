// Module types with plugs of every kind, registered once in the process's registry for the
// document tests (the built-in types get their plugs from their units, most of which are
// written later).
#pragma once

#include <memory>

#include "document/module_registry.h"

namespace md::test {

inline constexpr const char* kTestSource = "Test Source";
inline constexpr const char* kTestSink = "Test Sink";

inline void RegisterTestModuleTypes() {
    ModuleRegistry& r = Registry();
    if (r.FindModule(kTestSource) != nullptr) return;
    {
        ModuleInfoFields f;
        f.id = kTestSource;
        f.flags = 0x1100;
        f.plugs = {
            InterfaceObject::Make(nullptr, DR_OUT, PT_AUDIO, "Out"),
            InterfaceObject::Make(nullptr, DR_OUT, PT_FLOAT, "Level"),
            InterfaceObject::Make(nullptr, DR_OUT, PT_TEXT, "Name"),
            InterfaceObject::Make(nullptr, DR_OUT, PT_ENUM, "Choice", "0"),
            InterfaceObject::Make(nullptr, DR_OUT, PT_MIDI, "MIDI Out"),
            InterfaceObject::Make(nullptr, DR_OUT, PT_FLOAT, "GUI Out", "0", "", 0x0400),
        };
        r.RegisterModule(std::make_unique<Module_Info>(std::move(f)));
    }
    {
        ModuleInfoFields f;
        f.id = kTestSink;
        f.flags = 0x1100;
        f.plugs = {
            InterfaceObject::Make(nullptr, DR_IN, PT_AUDIO, "In", "0"),
            InterfaceObject::Make(nullptr, DR_IN, PT_FLOAT, "Value", "1"),
            InterfaceObject::Make(nullptr, DR_IN, PT_ENUM, "Mode", "0", "Off,On"),
            InterfaceObject::Make(nullptr, DR_IN, PT_ENUM, "Colour", "0", "Red,Green,Blue"),
            InterfaceObject::Make(nullptr, DR_IN, PT_ENUM, "Any List", "0", "Up,Down", 0x4000),
            InterfaceObject::Make(nullptr, DR_IN, PT_MIDI, "MIDI In"),
            InterfaceObject::Make(nullptr, DR_PARAMETER, PT_FLOAT, "Setting", "2"),
            InterfaceObject::Make(nullptr, DR_IN, PT_FLOAT, "Hidden", "0", "", 0x0100),
        };
        r.RegisterModule(std::make_unique<Module_Info>(std::move(f)));
    }
}

}  // namespace md::test
