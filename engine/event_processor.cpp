#include "engine/event_processor.h"

#include <utility>

namespace md {

void EventProcessor::InsertEvent(UEvent&& event) {
    // An event for a time this object has already processed happens as soon as possible:
    // at position. So no event ever lies before position, and offsets from position keep
    // the order right across the wrap of the sample clock.
    if (static_cast<int32_t>(event.time - position) < 0) event.time = position;
    const uint32_t key = event.time - position;
    auto it = events.begin();
    while (it != events.end() && it->time - position <= key) ++it;
    events.insert(it, std::move(event));
}

}  // namespace md
