// Plug descriptor: one entry of a module type's ordered plug list.
#pragma once

#include <string>
#include <vector>

#include "document/plug_types.h"

namespace md {

struct InterfaceObject {
    void* variable = nullptr;  // DSP object member bound to the plug; null in the registry's copy
    Direction direction = DR_IN;
    std::string hint;
    std::string name;
    std::string default_value;  // volts for audio plugs, list value for list plugs
    std::string meta;           // choice list, range, file extension or voltage ranges
    int32_t flags = 0;
    DataType data_type = PT_FLOAT;
    void* parameter_variable = nullptr;  // member receiving a DR_PARAMETER value

    // Builds a descriptor and applies the rule every descriptor obeys: an audio input
    // without 0x0001 or 0x0200 gets 0x0001.
    static InterfaceObject Make(void* variable, Direction direction, DataType type,
                                std::string name, std::string default_value = {},
                                std::string meta = {}, int32_t flags = 0, std::string hint = {},
                                void* parameter_variable = nullptr);
};

using InterfaceList = std::vector<InterfaceObject>;

// Applies the audio-input flag rule to a descriptor flags word.
constexpr int32_t DescriptorFlags(Direction direction, DataType type, int32_t flags) {
    if (direction == DR_IN && type == PT_AUDIO &&
        (flags & (plug_flag::kAudioDefault | plug_flag::kNoAudioDefault)) == 0) {
        flags |= plug_flag::kAudioDefault;
    }
    return flags;
}

}  // namespace md
