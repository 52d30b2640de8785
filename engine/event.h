// Timed events kept in a unit's event list and handled at their sample time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace md {

enum StreamState : int32_t {
    ST_STOP = 0,    // output constant and already seen by the receivers
    ST_STATIC = 1,  // one-shot "value changed, now constant"
    ST_RUN = 2,     // output changes every sample
};

enum UEventType : int32_t {
    UET_STAT_CHANGE = 0,
    UET_SUSPEND = 1,
    UET_MIDI = 2,
    UET_RUN_FUNCTION = 3,
    UET_IO_FUNC = 4,
    UET_UI_NOTIFY = 5,
    UET_PROG_CHANGE = 6,
    UET_SET_OUTPUT_VALUE = 20,  // b = output plug, value = new value bits
    UET_RUN_CALLBACK = 21,      // extra holds the member callback
};

// One event. On a 32-bit build the record is 24 bytes, as the engine's memory budget assumes.
struct UEvent {
    uint32_t time = 0;  // absolute sample time
    int32_t type = 0;
    int32_t a = 0;
    void* b = nullptr;
    int32_t value = 0;                   // int, or float bits
    std::unique_ptr<std::byte[]> extra;  // owned block, freed with the record

    UEvent() = default;
    UEvent(uint32_t t, int32_t ty, int32_t a_ = 0, void* b_ = nullptr, int32_t v = 0)
        : time(t), type(ty), a(a_), b(b_), value(v) {}

    float FloatValue() const;
    void SetFloatValue(float f);
};

static_assert(sizeof(void*) != 4 || sizeof(UEvent) == 24, "event record layout");

}  // namespace md
