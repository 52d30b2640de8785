#include "engine/engine_core.h"

#include "engine/dsp_globals.h"
#include "engine/ug_base.h"

namespace md {

EngineCore::EngineCore() {
    engine = this;
}

EngineCore::~EngineCore() {
    while (head_) Remove(static_cast<ug_base*>(head_));
}

bool EngineCore::IsLinked(const ug_base* unit) const {
    return unit->previous != nullptr || head_ == unit;
}

ug_base* EngineCore::ActiveHead() const {
    return static_cast<ug_base*>(head_);
}

void EngineCore::Insert(ug_base* unit) {
    if (IsLinked(unit)) return;
    EventProcessor* prev = nullptr;
    EventProcessor* cur = head_;
    while (cur && cur->sort_order >= unit->sort_order) {
        prev = cur;
        cur = cur->next;
    }
    unit->previous = prev;
    unit->next = cur;
    if (prev) {
        prev->next = unit;
    } else {
        head_ = unit;
    }
    if (cur) cur->previous = unit;

    // A unit placed after the one now processing still gets its turn in this slice.
    if (processing && cur == walk_next_ && unit->sort_order <= processing->sort_order) {
        walk_next_ = unit;
    }
    const bool turn_over = processing && processing->sort_order < unit->sort_order;
    unit->CatchUp(turn_over ? slice_end : now);
}

void EngineCore::Remove(ug_base* unit) {
    if (!IsLinked(unit)) return;
    if (walk_next_ == unit) walk_next_ = unit->next;
    if (unit->previous) {
        unit->previous->next = unit->next;
    } else {
        head_ = unit->next;
    }
    if (unit->next) unit->next->previous = unit->previous;
    unit->previous = nullptr;
    unit->next = nullptr;
}

void EngineCore::RunSlices(int n) {
    host_block_start = now;
    uint32_t boundary = sub_block_start + static_cast<uint32_t>(block);
    do {
        uint32_t d = boundary - now;
        if (d == 0) {
            sub_block_start = boundary;
            boundary += static_cast<uint32_t>(block);
            d = static_cast<uint32_t>(block);
        }
        if (n < static_cast<int>(d)) d = static_cast<uint32_t>(n > 0 ? n : 0);
        slice_end = now + d;
        // Units may sleep, wake or suspend each other during the walk; Insert and Remove
        // keep walk_next_ pointing at the unit whose turn comes next.
        for (EventProcessor* p = head_; p;) {
            auto* unit = static_cast<ug_base*>(p);
            processing = unit;
            walk_next_ = unit->next;
            unit->ProcessSlice(static_cast<int>(d));
            p = walk_next_;
        }
        processing = nullptr;
        walk_next_ = nullptr;
        now += d;
        n -= static_cast<int>(d);
    } while (n > 0);
}

void EngineCore::ResetClock() {
    while (head_) Remove(static_cast<ug_base*>(head_));
    now = 0;
    sub_block_start = 0;
    slice_end = 0;
    host_block_start = 0;
    processing = nullptr;
}

}  // namespace md
