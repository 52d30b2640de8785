// Thread helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace md::platform {

// Suspends the calling thread for at least `milliseconds`; Sleep(0) gives up the rest of the
// time slice. Any thread except the audio thread.
void Sleep(uint32_t milliseconds);

// The operating system's id of the calling thread: stable for the thread's life, distinct
// between live threads. Any thread.
uint64_t CurrentThreadId();

// Runs `work` on a new thread whose stack holds `stack_bytes`, and waits for it to finish.
// For deeply recursive work (reading nested archive records) that must not depend on the
// caller's stack, which a host may keep small. False, without running `work`, when no such
// thread can be made. `work` must not throw. Any thread except the audio thread.
bool RunWithStack(size_t stack_bytes, const std::function<void()>& work);

}  // namespace md::platform
