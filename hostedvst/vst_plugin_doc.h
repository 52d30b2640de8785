// Ctl_VST_Plugin: a hosted plug-in module, with the plug-in's programs as the patch file
// stores them. Loading the library and applying the programs to it come later.
//
// Document side; user-interface thread only.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "document/module.h"

namespace md {

class Ctl_VST_Plugin : public CUG_with_patches {
    MD_SERIAL_CLASS()

public:
    struct Program {
        std::string name;
        // Without chunks: one value per parameter, as the bits of a 32-bit float.
        std::vector<uint32_t> parameter_bits;
        // Chunk plug-ins in files before version 39: the program's own chunk.
        std::vector<uint8_t> chunk;

        float ParameterValue(size_t index) const {
            return index < parameter_bits.size() ? std::bit_cast<float>(parameter_bits[index])
                                                 : 0.0f;
        }
    };

    // The library's file name (files before version 55 store a full path; its folders are
    // dropped).
    std::string library_name;
    int32_t unique_id = 0;
    int32_t chunk_flag = 0;  // non-zero: the plug-in saves its state as chunks
    int32_t parameter_count = 0;
    int32_t current_program = 0;
    std::vector<uint8_t> bank_chunk;
    std::vector<Program> programs;
    std::vector<int32_t> midi_assignments;

    bool uses_chunks() const { return chunk_flag != 0; }

    void Serialize(Archive& ar) override;
};

}  // namespace md
