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

}  // namespace
}  // namespace md::platform
