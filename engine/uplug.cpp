#include "engine/uplug.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/engine_core.h"
#include "engine/ug_base.h"

namespace md {

uint8_t UPlugFlagsFromDescriptor(int32_t descriptor_flags) {
    uint8_t f = 0;
    if (descriptor_flags & plug_flag::kOption) f |= uplug_flag::kOption;
    if (descriptor_flags & plug_flag::kAdderInput) f |= uplug_flag::kOwnerObject;
    if (descriptor_flags & 0x18000) f |= uplug_flag::kParameterLike;
    return f;
}

UPlug::UPlug(ug_base* owner_, Direction direction_, DataType type, uint8_t flags_,
             void* bind_address_)
    : owner(owner_),
      bind_address(bind_address_),
      direction(direction_),
      data_type(type),
      flags(flags_) {
    switch (data_type) {
        case PT_ENUM:
        case PT_BOOL:
        case PT_FLOAT:
        case PT_INT:
            if (bind_address) {
                data = bind_address;
            } else {
                data = &own_;
                flags |= uplug_flag::kOwnsData;
            }
            break;
        case PT_TEXT:
            text_ = std::make_unique<std::string>();
            data = text_.get();
            flags |= uplug_flag::kOwnsData;
            break;
        case PT_DOUBLE:
            data = &own_.double_value;
            flags |= uplug_flag::kOwnsData;
            break;
        case PT_MIDI:
            if (direction == DR_OUT) {
                own_.midi_out = MidiOutHead{};
            } else {
                own_.word = 0;
            }
            data = &own_;
            flags |= uplug_flag::kOwnsData;
            break;
        case PT_AUDIO:
            break;  // made by AllocateAudio
    }
}

UPlug::~UPlug() {
    DeleteConnections();
}

void UPlug::AllocateAudio() {
    if (data_type != PT_AUDIO) return;
    if (direction == DR_OUT) {
        block_ = std::make_unique<USampBlock>();
        data = block_.get();
    } else if (direction == DR_IN || direction == DR_PARAMETER) {
        data = &input_slot_;
    }
}

USampBlock* UPlug::Block() const {
    if (data_type != PT_AUDIO) return nullptr;
    if (direction == DR_OUT) return block_.get();
    return input_slot_;
}

USampBlock* UPlug::ResolveInputBuffer() {
    if (data_type != PT_AUDIO || direction == DR_OUT) return Block();
    input_slot_ = nullptr;
    for (const UConnection* c : connections) {
        if (c->to == this && c->from->Block()) {
            input_slot_ = c->from->Block();
            break;
        }
    }
    if (!input_slot_) {
        // An unconnected input reads silence rather than a null buffer.
        if (!silence_) silence_ = std::make_unique<USampBlock>();
        input_slot_ = silence_.get();
    }
    return input_slot_;
}

void UPlug::TransmitState(uint32_t time, StreamState new_state) {
    if (new_state == state && new_state != ST_STATIC) return;
    // An audio output that already announced this very time as static has nothing new.
    if (IsAudio() && new_state == ST_STATIC && last_static_time == time && state < ST_RUN) {
        return;
    }
    state = new_state;
    // Receivers only queue events here, so the list does not change during the walk.
    for (UConnection* c : connections) {
        UPlug* far = FarEnd(c);
        far->owner->PostStatChange(time, c, new_state);
    }
    if (new_state == ST_STATIC) {
        last_static_time = time;
        state = ST_STOP;  // a static send is a one-shot "value changed"
    } else {
        last_static_time = 0;
    }
}

float UPlug::CurrentSample() const {
    const USampBlock* b = Block();
    if (!b) return 0.0f;
    return b->Get(owner->BufferOffset());
}

int UPlug::Index() const {
    for (int i = 0; i < owner->plug_count(); ++i) {
        if (owner->plugs[static_cast<std::size_t>(i)].get() == this) return i;
    }
    return -1;
}

int32_t UPlug::EventValue() const {
    if (!data) return 0;
    switch (data_type) {
        case PT_ENUM:
            return EnumValue();
        case PT_BOOL:
            return BoolValue();
        case PT_FLOAT:
        case PT_INT:
            return IntValue();
        default:
            return 0;
    }
}

void UPlug::CopyValueFrom(const UPlug& source) {
    if (!data || !source.data) return;
    switch (data_type) {
        case PT_ENUM:
            EnumValue() = static_cast<int16_t>(source.EventValue());
            break;
        case PT_BOOL:
            BoolValue() = source.EventValue() != 0;
            break;
        case PT_FLOAT:
        case PT_INT:
            IntValue() = source.EventValue();
            break;
        case PT_TEXT:
            if (source.data_type == PT_TEXT) TextValue() = source.TextValue();
            break;
        case PT_DOUBLE:
            if (source.data_type == PT_DOUBLE) DoubleValue() = source.DoubleValue();
            break;
        default:
            break;
    }
}

void UPlug::SetFromEventValue(int32_t value, const UPlug* source) {
    if (!data) return;
    switch (data_type) {
        case PT_ENUM:
            EnumValue() = static_cast<int16_t>(value);
            break;
        case PT_BOOL:
            BoolValue() = value != 0;
            break;
        case PT_FLOAT:
        case PT_INT:
            IntValue() = value;
            break;
        case PT_TEXT:
        case PT_DOUBLE:
            if (source) CopyValueFrom(*source);
            break;
        default:
            break;  // audio and MIDI carry no value
    }
}

void UPlug::DeleteConnections() {
    while (!connections.empty()) DisconnectPlugs(connections.back());
}

UConnection* ConnectPlugs(UPlug* from, UPlug* to) {
    auto* c = new UConnection{from, to};
    from->connections.push_back(c);
    to->connections.push_back(c);
    return c;
}

void DisconnectPlugs(UConnection* c) {
    for (UPlug* p : {c->from, c->to}) {
        auto& list = p->connections;
        list.erase(std::remove(list.begin(), list.end(), c), list.end());
    }
    delete c;
}

}  // namespace md
