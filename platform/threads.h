// Thread helpers.
#pragma once

#include <cstdint>

namespace md::platform {

// Suspends the calling thread for at least `milliseconds`; Sleep(0) gives up the rest of the
// time slice. Any thread except the audio thread.
void Sleep(uint32_t milliseconds);

// The operating system's id of the calling thread: stable for the thread's life, distinct
// between live threads. Any thread.
uint64_t CurrentThreadId();

}  // namespace md::platform
