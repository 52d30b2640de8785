#include "engine/lock_free_fifo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace md {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// No waiting at all: a full or empty queue answers at once.
constexpr fifo_waits kNoWaits{0, milliseconds{0}, 0, milliseconds{0}};

std::vector<uint8_t> Pattern(int count, int seed) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(seed + 7 * i);
    return bytes;
}

// Moves both indices `offset` positions on, leaving the queue empty.
void Advance(lock_free_fifo& q, int offset) {
    for (int i = 0; i < offset; ++i) {
        ASSERT_TRUE(q.WriteByte(0xEE));
        ASSERT_EQ(q.ReadByte(), 0xEE);
    }
}

TEST(LockFreeFifo, HoldsCapacityMinusOneBytesAndRefusesTheNext) {
    for (int capacity : {2, 3, 7, 4096}) {
        SCOPED_TRACE(capacity);
        lock_free_fifo q(capacity, kNoWaits);
        const auto bytes = Pattern(capacity - 1, capacity);
        EXPECT_TRUE(q.IsEmpty());
        EXPECT_EQ(q.Write(bytes.data(), capacity - 1), 0);
        EXPECT_EQ(q.ReadableBytes(), capacity - 1);
        EXPECT_FALSE(q.WriteByte(0x55));
        EXPECT_EQ(q.ReadableBytes(), capacity - 1);

        std::vector<uint8_t> got(bytes.size());
        EXPECT_EQ(q.Read(got.data(), capacity - 1), 0);
        EXPECT_EQ(got, bytes);
        EXPECT_TRUE(q.IsEmpty());
        EXPECT_EQ(q.ReadByte(), -1);
    }
}

// Every size of write and read, starting at every position, so each crosses the end of the
// buffer in every possible way; Peek answers only runs that do not wrap, and Skip lands
// where a Read would.
TEST(LockFreeFifo, WritesReadsPeeksAndSkipsOfEverySizeAcrossTheEnd) {
    for (int capacity : {2, 5, 16}) {
        for (int start = 0; start < capacity; ++start) {
            for (int n = 1; n < capacity; ++n) {
                SCOPED_TRACE(testing::Message()
                             << "C=" << capacity << " start=" << start << " n=" << n);
                const auto bytes = Pattern(n, start);
                const bool contiguous = n <= capacity - start;

                lock_free_fifo q(capacity, kNoWaits);
                Advance(q, start);
                ASSERT_EQ(q.Write(bytes.data(), n), 0);
                EXPECT_EQ(q.ReadableBytes(), n);
                const uint8_t* peeked = q.Peek(n);
                EXPECT_EQ(peeked != nullptr, contiguous);
                if (peeked) {
                    EXPECT_EQ(std::vector<uint8_t>(peeked, peeked + n), bytes);
                }
                const int run = std::min(n, capacity - start);  // readable before the end
                EXPECT_NE(q.Peek(run), nullptr);
                EXPECT_EQ(q.Peek(run + 1), nullptr);
                std::vector<uint8_t> got(static_cast<size_t>(n));
                ASSERT_EQ(q.Read(got.data(), n), 0);
                EXPECT_EQ(got, bytes);
                EXPECT_TRUE(q.IsEmpty());

                lock_free_fifo s(capacity, kNoWaits);
                Advance(s, start);
                ASSERT_EQ(s.Write(bytes.data(), n), 0);
                ASSERT_TRUE(s.WriteByte(0xA5) || n == capacity - 1);
                s.Skip(n);
                if (n < capacity - 1) {
                    EXPECT_EQ(s.ReadableBytes(), 1);
                    EXPECT_EQ(s.ReadByte(), 0xA5);
                }
                EXPECT_TRUE(s.IsEmpty());
                // The queue is still whole after the skip: it takes C - 1 bytes again.
                const auto refill = Pattern(capacity - 1, n);
                EXPECT_EQ(s.Write(refill.data(), capacity - 1), 0);
                EXPECT_FALSE(s.WriteByte(0));
            }
        }
    }
}

TEST(LockFreeFifo, PeekOfNothingReadableAndSkipBeyondWhatIsReadable) {
    lock_free_fifo q(8, kNoWaits);
    EXPECT_EQ(q.Peek(1), nullptr);
    ASSERT_EQ(q.Write("abc", 3), 0);
    q.Skip(5);  // limited to the three readable bytes
    EXPECT_TRUE(q.IsEmpty());
    ASSERT_TRUE(q.WriteByte('z'));
    EXPECT_EQ(q.ReadByte(), 'z');
}

// A full queue makes its writer wait 50 times 10 ms before it gives up on the byte; an
// empty one makes its reader wait 500 times 1 ms.
TEST(LockFreeFifoWaits, DefaultWaitsLastAtLeastHalfASecondThenGiveUp) {
    lock_free_fifo q(4);
    ASSERT_EQ(q.Write("abc", 3), 0);
    auto start = Clock::now();
    EXPECT_FALSE(q.WriteByte('d'));
    EXPECT_GE(Clock::now() - start, milliseconds{500});
    char got[3] = {};
    ASSERT_EQ(q.Read(got, 3), 0);
    EXPECT_EQ(std::string(got, 3), "abc") << "the refused byte was not stored";

    start = Clock::now();
    EXPECT_EQ(q.ReadByte(), -1);
    EXPECT_GE(Clock::now() - start, milliseconds{500});
}

TEST(LockFreeFifoWaits, WriterWaitsForTheReaderAndReaderWaitsForTheWriter) {
    lock_free_fifo q(4);
    ASSERT_EQ(q.Write("abc", 3), 0);
    std::thread reader([&] {
        std::this_thread::sleep_for(milliseconds{50});
        EXPECT_EQ(q.ReadByte(), 'a');
    });
    EXPECT_TRUE(q.WriteByte('d'));  // the C-th byte goes in once the reader has taken one
    reader.join();
    char got[3] = {};
    ASSERT_EQ(q.Read(got, 3), 0);
    EXPECT_EQ(std::string(got, 3), "bcd");

    std::thread writer([&] {
        std::this_thread::sleep_for(milliseconds{30});
        EXPECT_TRUE(q.WriteByte('e'));
    });
    EXPECT_EQ(q.ReadByte(), 'e');
    writer.join();
}

TEST(LockFreeFifoStaging, StagedBytesStayHiddenUntilCommittedAndVanishWhenDiscarded) {
    lock_free_fifo q(8, kNoWaits);
    ASSERT_TRUE(q.StageByte('x'));
    ASSERT_TRUE(q.StageByte('y'));
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.ReadByte(), -1);
    q.DiscardStaged();
    ASSERT_TRUE(q.StageByte('a'));
    ASSERT_TRUE(q.StageByte('b'));
    q.CommitStaged();
    char got[2] = {};
    ASSERT_EQ(q.Read(got, 2), 0);
    EXPECT_EQ(std::string(got, 2), "ab");
    EXPECT_TRUE(q.IsEmpty());
}

TEST(LockFreeFifoStaging, StagedBytesTakeRoomAndTooManyFailWithoutWaiting) {
    lock_free_fifo q(4);  // default waits: a pointless wait would take 500 ms
    for (char c : {'a', 'b', 'c'}) ASSERT_TRUE(q.StageByte(static_cast<uint8_t>(c)));
    const auto start = Clock::now();
    EXPECT_FALSE(q.StageByte('d'));
    EXPECT_LT(Clock::now() - start, milliseconds{250});
    q.CommitStaged();
    EXPECT_EQ(q.ReadableBytes(), 3);
}

TEST(LockFreeFifo, ResetEmptiesTheQueueAndRestartsAtTheFirstPosition) {
    lock_free_fifo q(8, kNoWaits);
    Advance(q, 5);
    ASSERT_EQ(q.Write("abc", 3), 0);
    q.Reset();
    EXPECT_TRUE(q.IsEmpty());
    const auto bytes = Pattern(7, 1);
    ASSERT_EQ(q.Write(bytes.data(), 7), 0);
    const uint8_t* peeked = q.Peek(7);  // seven contiguous bytes only from position 0
    ASSERT_NE(peeked, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(peeked, peeked + 7), bytes);
}

}  // namespace
}  // namespace md
