#include "engine/event.h"

#include <bit>

namespace md {

float UEvent::FloatValue() const {
    return std::bit_cast<float>(value);
}

void UEvent::SetFloatValue(float f) {
    value = std::bit_cast<int32_t>(f);
}

}  // namespace md
