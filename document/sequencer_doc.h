// The step sequencers' document objects: pattern sequencers (notes or drum masks) and the
// older step sequencer.
//
// A sequencer holds 32 patterns of up to 32 steps. A stored pattern with more steps is read
// whole and keeps its first 32; a negative step count is malformed.
//
// Document side; user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/control.h"
#include "document/module.h"

namespace md {

inline constexpr int kSequencerPatterns = 32;
inline constexpr int kSequencerSteps = 32;

struct SequencerStep {
    int32_t note = 0;
    int32_t velocity = 0;
    int32_t modulation = 0;
    int32_t spare = 0;
    bool slide = false;
    int32_t unused = 0;  // only in version 14 files
};

// Tempo, song and current pattern, shared by the pattern sequencers.
class CPattSeq : public CControl {
    MD_SERIAL_CLASS()

public:
    int32_t unused_setting = 0;  // stored, not used
    float tempo = 120.0f;
    bool song_mode = false;
    std::vector<int32_t> song;  // pattern numbers in playing order
    int32_t current_pattern = 0;

    void Serialize(Archive& ar) override;
};

class CStepSeq2 : public CPattSeq {
    MD_SERIAL_CLASS()

public:
    std::array<std::vector<SequencerStep>, kSequencerPatterns> patterns;

    void Serialize(Archive& ar) override;
};

class CDrumSeq : public CPattSeq {
    MD_SERIAL_CLASS()

public:
    // Per step a bit mask of the drums that play.
    std::array<std::vector<int32_t>, kSequencerPatterns> patterns;

    void Serialize(Archive& ar) override;
};

// The older step sequencer: a stored number of patterns (at most 32 kept), no slides.
class CStepSeq : public CUG {
    MD_SERIAL_CLASS()

public:
    std::vector<uint8_t> display_settings = std::vector<uint8_t>(16);
    float tempo = 120.0f;
    std::vector<std::vector<SequencerStep>> patterns;
    bool song_mode = false;
    std::vector<int32_t> song;

    void Serialize(Archive& ar) override;
};

}  // namespace md
