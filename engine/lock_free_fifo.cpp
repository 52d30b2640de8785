#include "engine/lock_free_fifo.h"

#include <algorithm>
#include <thread>

namespace md {

lock_free_fifo::lock_free_fifo(int capacity, fifo_waits waits)
    : capacity_(std::max(capacity, 2)),
      waits_(waits),
      buffer_(new uint8_t[static_cast<size_t>(capacity_)]()),
      read_(capacity_),
      write_(capacity_),
      staged_(capacity_) {}

bool lock_free_fifo::WriteByte(uint8_t b) {
    if (!StageByte(b)) return false;
    CommitStaged();
    return true;
}

int lock_free_fifo::Write(const void* bytes, int count) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (int i = 0; i < count; ++i) {
        if (!WriteByte(p[i])) return count - i;
    }
    return 0;
}

bool lock_free_fifo::StageByte(uint8_t b) {
    const int pos = staged_ % capacity_;
    for (int tries = 0;; ++tries) {
        const int r = read_.load(std::memory_order_acquire);
        if (pos + 1 != r) break;
        // Full, and the reader has taken all that is published: the staged bytes alone
        // fill the queue, so no wait can make room.
        if (r == write_.load(std::memory_order_relaxed)) return false;
        if (tries == waits_.write_tries) return false;
        std::this_thread::sleep_for(waits_.write_sleep);
    }
    buffer_[static_cast<size_t>(pos)] = b;
    staged_ = pos + 1;
    return true;
}

void lock_free_fifo::CommitStaged() {
    write_.store(staged_, std::memory_order_release);
}

void lock_free_fifo::DiscardStaged() {
    staged_ = write_.load(std::memory_order_relaxed);
}

bool lock_free_fifo::IsEmpty() const {
    return write_.load(std::memory_order_acquire) == read_.load(std::memory_order_relaxed);
}

int lock_free_fifo::ReadableBytes() const {
    const int w = write_.load(std::memory_order_acquire) % capacity_;
    const int r = read_.load(std::memory_order_relaxed) % capacity_;
    return (w - r + capacity_) % capacity_;
}

int lock_free_fifo::ReadByte() {
    const int r = read_.load(std::memory_order_relaxed);
    for (int tries = 0;; ++tries) {
        if (write_.load(std::memory_order_acquire) != r) break;
        if (tries == waits_.read_tries) return -1;
        std::this_thread::sleep_for(waits_.read_sleep);
    }
    const int pos = r % capacity_;
    const int b = buffer_[static_cast<size_t>(pos)];
    read_.store(pos + 1, std::memory_order_release);
    return b;
}

int lock_free_fifo::Read(void* bytes, int count) {
    auto* p = static_cast<uint8_t*>(bytes);
    for (int i = 0; i < count; ++i) {
        const int b = ReadByte();
        if (b < 0) return count - i;
        p[i] = static_cast<uint8_t>(b);
    }
    return 0;
}

const uint8_t* lock_free_fifo::Peek(int count) const {
    const int pos = read_.load(std::memory_order_relaxed) % capacity_;
    const int contiguous = std::min(ReadableBytes(), capacity_ - pos);
    if (count < 0 || count > contiguous) return nullptr;
    return buffer_.get() + pos;
}

void lock_free_fifo::Skip(int count) {
    count = std::clamp(count, 0, ReadableBytes());
    const int r = read_.load(std::memory_order_relaxed);
    read_.store((r + count - 1) % capacity_ + 1, std::memory_order_release);
}

void lock_free_fifo::Reset() {
    read_.store(capacity_, std::memory_order_relaxed);
    write_.store(capacity_, std::memory_order_relaxed);
    staged_ = capacity_;
}

}  // namespace md
