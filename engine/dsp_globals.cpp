#include "engine/dsp_globals.h"

namespace md {

int block = 96;
float sample_rate = 44100.0f;

}  // namespace md
