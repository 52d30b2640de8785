#include "platform/threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace md::platform {
namespace {

TEST(PlatformThreads, SleepWaitsAtLeastTheTimeAsked) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    Sleep(30);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));

    const auto before_yield = Clock::now();
    Sleep(0);
    EXPECT_LT(Clock::now() - before_yield, std::chrono::seconds(1));
}

TEST(PlatformThreads, ThreadIdsAreStablePerThreadAndDistinct) {
    const uint64_t main_id = CurrentThreadId();
    EXPECT_EQ(CurrentThreadId(), main_id);

    uint64_t other_first = 0;
    uint64_t other_second = 0;
    std::thread other([&] {
        other_first = CurrentThreadId();
        Sleep(1);
        other_second = CurrentThreadId();
    });
    other.join();
    EXPECT_EQ(other_first, other_second);
    EXPECT_NE(other_first, main_id);
}

// Recursion that keeps `bytes` of stack in use at its deepest point.
size_t UseStack(size_t bytes) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(bytes);
    if (bytes <= sizeof frame) return frame[0];
    return UseStack(bytes - sizeof frame) + frame[0];
}

TEST(PlatformThreads, WorkRunsToTheEndOnAThreadWithTheStackAsked) {
    const uint64_t caller = CurrentThreadId();
    uint64_t worker = caller;
    bool finished = false;
    // 32 MiB of recursion: more than a default thread stack holds.
    ASSERT_TRUE(RunWithStack(size_t{64} << 20, [&] {
        worker = CurrentThreadId();
        UseStack(size_t{32} << 20);
        finished = true;
    }));
    EXPECT_TRUE(finished) << "returns only after the work is done";
    EXPECT_NE(worker, caller);
}

}  // namespace
}  // namespace md::platform
