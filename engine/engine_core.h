// The sample clock, the active list and the slice loop: what a unit needs of the engine.
// The engine object derives from this and adds the host-facing work around it.
// Everything here runs on the audio thread.
#pragma once

#include <cstdint>

#include "engine/event_processor.h"

namespace md {

class ug_base;

// Units hold a pointer to their engine: destroy them before the engine.
class EngineCore : public EventProcessor {
public:
    EngineCore();
    ~EngineCore() override;

    // Active list, ordered by descending sort_order; equal orders keep insertion order.
    // Insert also catches the unit's time up: to the slice end when its turn in the
    // current slice is already over, else to now. Inserting a linked unit is a no-op.
    void Insert(ug_base* unit);
    // Unlinks a unit; a no-op for one that is not linked.
    void Remove(ug_base* unit);
    bool IsLinked(const ug_base* unit) const;
    ug_base* ActiveHead() const;

    // Processes n samples in slices that never cross a sub-block boundary, giving every
    // active unit each slice in list order. n == 0 still runs one empty slice.
    void RunSlices(int n);

    // Resets all clocks to 0 (engine start).
    void ResetClock();

    uint32_t now = 0;
    uint32_t sub_block_start = 0;  // buffer index 0 corresponds to this time
    uint32_t slice_end = 0;
    uint32_t host_block_start = 0;
    ug_base* processing = nullptr;  // unit in its ProcessSlice, null between units

private:
    EventProcessor* head_ = nullptr;
    EventProcessor* walk_next_ = nullptr;  // next unit of the running slice walk
};

}  // namespace md
