#include "engine/ug_container.h"

namespace md {

namespace {
// Renamable, duplicating spare, carried to the unit.
constexpr int32_t kSpareFlags = 0x4C;
}  // namespace

std::unique_ptr<ug_base> ug_container::CreateInstance() const {
    return std::make_unique<ug_container>();
}

void ug_container::ListInterface(InterfaceList& list) {
    list.push_back(InterfaceObject::Make(&spare, DR_CONTAINER_IO, PT_AUDIO, "Spare", "0", "",
                                         kSpareFlags, "Connection to a module inside"));
    list.push_back(InterfaceObject::Make(
        nullptr, DR_PARAMETER, PT_ENUM, "Polyphony", "6", "range 1,200", 0,
        "Limits the number of notes you can play at once. (Changes take effect next time you "
        "re-start the sound)",
        &polyphony));
    list.push_back(InterfaceObject::Make(nullptr, DR_PARAMETER, PT_BOOL, "MIDI Automation", "", "",
                                         256, "", &midi_automation));
    list.push_back(InterfaceObject::Make(nullptr, DR_PARAMETER, PT_ENUM, "Show Controls", "0",
                                         "Off,On Panel,On Module", 256, "", &show_controls));
}

std::unique_ptr<ug_base> ug_io_mod::CreateInstance() const {
    return std::make_unique<ug_io_mod>();
}

void ug_io_mod::ListInterface(InterfaceList& list) {
    list.push_back(InterfaceObject::Make(&spare, DR_CONTAINER_IO, PT_AUDIO, "Spare", "0", "",
                                         kSpareFlags,
                                         "Connection to modules outside (at higher level of "
                                         "structure)"));
}

}  // namespace md
