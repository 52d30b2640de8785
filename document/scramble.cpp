#include "document/scramble.h"

#include <algorithm>
#include <cstddef>

namespace md {

namespace {

// How far the walk moves on from a byte, judged from its stored (scrambled) value.
constexpr size_t StepAfter(uint8_t stored) {
    return (stored & 1) != 0 ? 3 : 1;
}

// Moves `at` on by `step`, stopping at the end: near the end fewer than `step` bytes may remain.
void Advance(size_t& at, size_t step, size_t size) {
    at += std::min(step, size - at);
}

}  // namespace

void ScrambleBytes(std::span<uint8_t> bytes) {
    for (size_t at = 0; at < bytes.size();) {
        bytes[at] ^= kScrambleMask;
        Advance(at, StepAfter(bytes[at]), bytes.size());
    }
}

void UnscrambleBytes(std::span<uint8_t> bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const size_t step = StepAfter(bytes[at]);
        bytes[at] ^= kScrambleMask;
        Advance(at, step, bytes.size());
    }
}

}  // namespace md
