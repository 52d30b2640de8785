// The byte scrambling of the patch carried inside the plug-in library. Not encryption: it only
// keeps the archive from reading as plain text in the library file.
//
// The walk starts at the first byte. Each visited byte is XORed with kScrambleMask; the walk
// then moves on by 3 bytes when the byte's lowest bit, as stored (scrambled), is 1, else by 1.
// The two bytes jumped over stay as they are.
#pragma once

#include <cstdint>
#include <span>

namespace md {

// The lowest bit is 0, so the XOR never changes a byte's lowest bit: the original and the
// stored byte agree on the step, both directions visit the same bytes, and each function is
// also its own inverse. (With a lowest bit of 1 the writer would still have to take the step
// from the byte it stores, the one the reader sees first; taking it from the original byte
// would send the reader down a different walk.)
inline constexpr uint8_t kScrambleMask = 0x5A;
static_assert((kScrambleMask & 1) == 0);

// In place, as the pack tool does before storing the archive. Any thread.
void ScrambleBytes(std::span<uint8_t> bytes);

// In place, on the copied resource bytes before the archive is read. Any thread.
void UnscrambleBytes(std::span<uint8_t> bytes);

}  // namespace md
