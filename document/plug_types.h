// Plug directions and data types shared by the document, the registry and the DSP units.
#pragma once

#include <cstdint>

namespace md {

enum Direction : int32_t {
    DR_IN = 0,
    DR_OUT = 1,
    DR_CONTAINER_IO = 2,  // passes a connection through a container boundary
    DR_PARAMETER = 3,     // a module setting without a plug
};

enum DataType : int32_t {
    PT_ENUM = 0,  // 16-bit signed value chosen from the meta list
    PT_TEXT = 1,
    PT_MIDI = 2,
    PT_DOUBLE = 3,  // 64-bit float
    PT_BOOL = 4,    // one byte, 0 or 1
    PT_AUDIO = 5,   // block of 32-bit floats, 1.0 = 10 V
    PT_FLOAT = 6,   // 32-bit float
    PT_INT = 8,     // 32-bit signed; GUI-side plugs only
};

// Plug descriptor flags (InterfaceObject::flags).
namespace plug_flag {
inline constexpr int32_t kAudioDefault = 0x0001;  // added to audio inputs unless 0x0200 is set
inline constexpr int32_t kOption = 0x0002;
inline constexpr int32_t kRenamable = 0x0004;
inline constexpr int32_t kSpare = 0x0008;
inline constexpr int32_t kFileName = 0x0010;
inline constexpr int32_t kTakesConnectedValue = 0x0020;
inline constexpr int32_t kSparePlugin = 0x0040;  // spare and plug-in plugs; carried to the unit
inline constexpr int32_t kAdderInput = 0x0080;
inline constexpr int32_t kHidden = 0x0100;
inline constexpr int32_t kNoAudioDefault = 0x0200;
inline constexpr int32_t kGuiPlug = 0x0400;
inline constexpr int32_t kListFromConnection = 0x0800;
inline constexpr int32_t kHiddenWhenSpareHidden = 0x1000;
inline constexpr int32_t kHiddenToo = 0x2000;  // hidden like kHidden
inline constexpr int32_t kAnyList = 0x4000;
inline constexpr int32_t kPatchStored = 0x8000;
}  // namespace plug_flag

}  // namespace md
