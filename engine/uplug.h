// A unit's plug: its value storage, its connections and its stream state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/plug_types.h"
#include "engine/event.h"
#include "engine/usamp_block.h"

namespace md {

class ug_base;
class UPlug;

// One wire between an output and an input; linked into both plugs' lists.
struct UConnection {
    UPlug* from = nullptr;
    UPlug* to = nullptr;
};

// Bits of UPlug::flags.
namespace uplug_flag {
inline constexpr uint8_t kOption = 0x02;       // descriptor option 0x0002
inline constexpr uint8_t kPolyFed = 0x04;      // fed by a polyphonic source
inline constexpr uint8_t kOwnerObject = 0x10;  // value lives in an owner-supplied object
inline constexpr uint8_t kGuiChanged = 0x20;   // value changed by the GUI
inline constexpr uint8_t kOwnsData = 0x40;
inline constexpr uint8_t kParameterLike = 0x80;
}  // namespace uplug_flag

// The flags byte a plug gets from its descriptor's flags word.
uint8_t UPlugFlagsFromDescriptor(int32_t descriptor_flags);

// Head of a MIDI output's message list.
struct MidiOutHead {
    int32_t count = 0;
    int32_t last = -1;
};

class UPlug {
public:
    // Setup only. Value storage for non-audio plugs is made here: enumeration, bool and
    // 32-bit plugs use the bound member when there is one, everything else owns its value.
    UPlug(ug_base* owner, Direction direction, DataType type, uint8_t flags = 0,
          void* bind_address = nullptr);
    // Drops every connection (unlinking it from the far plug too).
    ~UPlug();
    UPlug(const UPlug&) = delete;
    UPlug& operator=(const UPlug&) = delete;

    ug_base* owner;
    void* data = nullptr;  // the plug's value, by type (see the accessors)
    void* bind_address;    // module member bound to the plug, or null
    Direction direction;
    DataType data_type;
    UPlug* spare = nullptr;  // container pass-through partner
    uint8_t flags;
    UPlug* adder_redirect = nullptr;
    std::vector<UConnection*> connections;
    StreamState state = ST_STOP;
    uint32_t last_static_time = 0xFFFFFFFFu;

    // Creates the audio buffer (output) or the connected-buffer slot (input). Setup only.
    void AllocateAudio();
    // Points an audio input's slot at the connected output's buffer (silence when
    // unconnected) and returns it. Called when the owner opens.
    USampBlock* ResolveInputBuffer();

    // Sends a state to every module at the far end of this plug's connections.
    // Audio thread.
    void TransmitState(uint32_t time, StreamState new_state);

    // The sample of this plug's buffer at the owner's current buffer offset. Audio thread.
    float CurrentSample() const;

    // This plug's index in its owner's plug array.
    int Index() const;

    // Value accessors (the plug's type decides which one applies).
    USampBlock* Block() const;  // audio: own buffer (output) or connected buffer (input)
    int16_t& EnumValue() const { return *static_cast<int16_t*>(data); }
    uint8_t& BoolValue() const { return *static_cast<uint8_t*>(data); }
    float& FloatValue() const { return *static_cast<float*>(data); }
    int32_t& IntValue() const { return *static_cast<int32_t*>(data); }
    double& DoubleValue() const { return *static_cast<double*>(data); }
    std::string& TextValue() const { return *static_cast<std::string*>(data); }

    // The value as carried in a state-change event: enumeration as 16 bits, bool as a
    // byte, 32-bit plugs as their bits; 0 for other types.
    int32_t EventValue() const;
    // Copies the value of another plug of the same type into this one.
    void CopyValueFrom(const UPlug& source);
    // Writes an event's value into this plug by its type.
    void SetFromEventValue(int32_t value, const UPlug* source);

    bool IsAudio() const { return data_type == PT_AUDIO; }
    bool IsInput() const { return direction == DR_IN || direction == DR_PARAMETER; }
    bool IsOutput() const { return direction == DR_OUT; }

    // The plug at the other end of a connection.
    UPlug* FarEnd(const UConnection* c) const { return c->from == this ? c->to : c->from; }

    void DeleteConnections();

private:
    union Storage {
        int32_t word;
        int16_t enum_value;
        uint8_t bool_value;
        float float_value;
        double double_value;
        MidiOutHead midi_out;
    };
    Storage own_{.double_value = 0.0};
    std::unique_ptr<std::string> text_;
    std::unique_ptr<USampBlock> block_;
    USampBlock* input_slot_ = nullptr;     // audio input: buffer of the connected output
    std::unique_ptr<USampBlock> silence_;  // unconnected audio input reads this
};

// Links an output to an input; the record is owned by the two plugs. Setup only.
UConnection* ConnectPlugs(UPlug* from, UPlug* to);
// Unlinks and frees one connection. Setup only.
void DisconnectPlugs(UConnection* connection);

}  // namespace md
