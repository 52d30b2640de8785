#include "engine/usamp_block.h"

#include <algorithm>
#include <new>

#include "engine/dsp_globals.h"

namespace md {

namespace {
constexpr std::align_val_t kAlignment{16};
}

USampBlock::USampBlock() : USampBlock(block) {}

USampBlock::USampBlock(int length) : length_(length > 0 ? length : 0) {
    const std::size_t count = static_cast<std::size_t>(length_) + kSlack;
    data_ = static_cast<float*>(::operator new(count * sizeof(float), kAlignment));
    std::fill_n(data_, count, 0.0f);
}

USampBlock::~USampBlock() {
    ::operator delete(data_, kAlignment);
}

void USampBlock::Fill(float value, int offset, int count) {
    std::fill_n(data_ + offset, count, value);
}

void USampBlock::Add(const USampBlock& other, int offset, int count) {
    float* out = data_ + offset;
    const float* in = other.data_ + offset;
    for (int i = 0; i < count; ++i) out[i] += in[i];
}

}  // namespace md
