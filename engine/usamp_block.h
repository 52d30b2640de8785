// A unit's sample buffer: one sub-block of floats.
#pragma once

#include <cstddef>

namespace md {

// block + 8 floats, 16-byte aligned, zero at creation. The slack lets SIMD loops and
// a read at offset == block run past the end safely.
class USampBlock {
public:
    static constexpr int kSlack = 8;

    // Setup only (allocates). Uses the current global block length.
    USampBlock();
    explicit USampBlock(int length);
    ~USampBlock();
    USampBlock(const USampBlock&) = delete;
    USampBlock& operator=(const USampBlock&) = delete;

    float* data() { return data_; }
    const float* data() const { return data_; }
    int length() const { return length_; }

    // Audio thread.
    void Fill(float value, int offset, int count);
    void Fill(float value) { Fill(value, 0, length_); }
    void Add(const USampBlock& other, int offset, int count);
    float Get(int index) const { return data_[index]; }
    void Set(int index, float value) { data_[index] = value; }

private:
    float* data_ = nullptr;
    int length_ = 0;
};

}  // namespace md
