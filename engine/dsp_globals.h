// Values every unit reads while processing.
#pragma once

namespace md {

// Sub-block length in samples: every audio buffer holds this many samples (plus slack).
// Set at engine start, before any unit is built; audio thread reads it.
extern int block;

// Sample rate in Hz, set at resume.
extern float sample_rate;

}  // namespace md
