// Byte queue between the GUI thread and the audio thread: one writer thread, one reader
// thread, no lock. The writer changes only the write index, the reader only the read index;
// each side stores or takes its byte before it publishes its index (release), and reads the
// other side's index with acquire, so the queue is correct on weakly ordered CPUs too.
//
// Indices run from 1 to C: a position is the index modulo C, and after a byte moves the
// index becomes position + 1. Both start at C. Empty when the indices are equal, full when
// (write index mod C) + 1 equals the read index, so the queue holds at most C - 1 bytes.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace md {

// How long each side waits for the other, per byte, before giving up.
struct fifo_waits {
    int write_tries = 50;  // a writer facing a full queue sleeps and tests again this often
    std::chrono::milliseconds write_sleep{10};
    int read_tries = 500;  // a reader facing an empty queue sleeps and tests again this often
    std::chrono::milliseconds read_sleep{1};
};

class lock_free_fifo {
public:
    // Any thread, before either side uses the queue. `capacity` (C) must be at least 2.
    explicit lock_free_fifo(int capacity, fifo_waits waits = {});
    lock_free_fifo(const lock_free_fifo&) = delete;
    lock_free_fifo& operator=(const lock_free_fifo&) = delete;

    // Any thread.
    int capacity() const { return capacity_; }

    // --- writer thread ------------------------------------------------------------------
    // Stores one byte and publishes it. False, with the byte dropped, when the queue is still
    // full after the writer's waits. Not while staged bytes are pending.
    bool WriteByte(uint8_t b);
    // WriteByte per byte, stopping at the first that does not fit; answers the number of
    // bytes not written.
    int Write(const void* bytes, int count);

    // Staged writing, for whole messages: staged bytes take queue space at once but the
    // reader sees none of them until CommitStaged publishes them together.
    // Stores one byte after those already staged, waiting like WriteByte. False when it still
    // does not fit, or at once when the reader has taken every published byte and the staged
    // bytes alone fill the queue (waiting cannot help then).
    bool StageByte(uint8_t b);
    // Publishes every staged byte.
    void CommitStaged();
    // Drops every staged byte; the reader never sees them.
    void DiscardStaged();

    // --- reader thread ------------------------------------------------------------------
    bool IsEmpty() const;
    // Bytes published and not yet read.
    int ReadableBytes() const;
    // The next byte (0 to 255), or -1 when the queue is still empty after the reader's waits.
    int ReadByte();
    // ReadByte per byte into `bytes`, stopping at the first that does not arrive; answers the
    // number of bytes not read.
    int Read(void* bytes, int count);
    // `count` contiguous readable bytes at the read position, or null when fewer are readable
    // without wrapping. Does not wait and does not consume; Skip does.
    const uint8_t* Peek(int count) const;
    // Advances the read index by `count` (limited to 0 to ReadableBytes()).
    void Skip(int count);

    // --- either thread, while the other side does not use the queue ----------------------
    // Empties the queue: both indices (and the staged bytes) go back to the start value.
    void Reset();

private:
    const int capacity_;
    const fifo_waits waits_;
    std::unique_ptr<uint8_t[]> buffer_;
    std::atomic<int> read_;
    std::atomic<int> write_;
    int staged_;  // writer-private: the write index including staged bytes
};

}  // namespace md
