// Receiver of GUI-to-DSP queue messages addressed by handle.
#pragma once

#include <cstdint>

namespace md {

class my_input_stream;

class dsp_msg_target {
public:
    virtual ~dsp_msg_target() = default;
    // Audio thread: a message with this id arrived; its payload is read from the stream.
    virtual void OnDspMessage(int32_t id, my_input_stream* stream) = 0;
};

}  // namespace md
