// Base of every unit and of the engine: a time-ordered event list, the links of the
// engine's active list and the unit's own sample clock.
#pragma once

#include <cstdint>
#include <list>

#include "engine/event.h"

namespace md {

class EngineCore;

class EventProcessor {
public:
    EventProcessor() = default;
    virtual ~EventProcessor() = default;
    EventProcessor(const EventProcessor&) = delete;
    EventProcessor& operator=(const EventProcessor&) = delete;

    // Pending events, earliest first; equal times stay in insertion order.
    std::list<UEvent> events;
    uint32_t flags = 0;                  // ug_flag bits
    bool asleep = false;                 // left the active list by itself
    EventProcessor* previous = nullptr;  // active-list links, owned by the engine
    EventProcessor* next = nullptr;
    uint32_t position = 0;  // absolute time up to which this object has been processed
    EngineCore* engine = nullptr;
    int sort_order = -1;  // -1 not computed, -2 being computed

    // Inserts an event in time order (an event before position is moved to position).
    // Times are compared as offsets from position, so the order survives the wrap of the
    // 32-bit clock. Audio thread.
    void InsertEvent(UEvent&& event);
    bool HasEvents() const { return !events.empty(); }
};

}  // namespace md
