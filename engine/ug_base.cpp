#include "engine/ug_base.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "engine/dsp_globals.h"
#include "engine/engine_core.h"

namespace md {

namespace {

// Signed distance from `from` to `to` on the wrapping sample clock.
int32_t Ahead(uint32_t to, uint32_t from) {
    return static_cast<int32_t>(to - from);
}

// The plug of a connection that belongs to `unit` (the receiving end of a state change).
UPlug* OwnEnd(UConnection* c, const ug_base* unit) {
    return c->to->owner == unit ? c->to : c->from;
}

UPlug* OtherEnd(UConnection* c, const ug_base* unit) {
    return c->to->owner == unit ? c->from : c->to;
}

}  // namespace

ug_base::ug_base() = default;

ug_base::~ug_base() {
    if (engine && engine->IsLinked(this)) engine->Remove(this);
    // Plugs go last index first; each drops its connections on the way.
    while (!plugs.empty()) plugs.pop_back();
}

void ug_base::Wake() {
    if (!asleep) return;
    engine->Insert(this);  // catches the clock and earlier events up
    asleep = false;
}

void ug_base::CatchUp(uint32_t time) {
    for (UEvent& e : events) {
        if (Ahead(e.time, time) < 0) e.time = time;
    }
    position = time;
}

void ug_base::ProcessSlice(int n) {
    const uint32_t end = position + static_cast<uint32_t>(n);
    int offset = static_cast<int>(engine->now - engine->sub_block_start);

    while (!events.empty()) {
        const int32_t wait = std::max(Ahead(events.front().time, position), 0);
        if (wait >= n) break;  // at or beyond the slice end: next slice
        if (wait > 0) {
            RunProcess(offset, wait);
            position += static_cast<uint32_t>(wait);
            offset += wait;
            n -= wait;
        }
        // All values arriving at this time are written before any of them is handled, so
        // a module reacting to one input already sees its other inputs' new values.
        int due = 0;
        for (UEvent& e : events) {
            if (Ahead(e.time, position) > 0) break;
            ++due;
            if (e.type == UET_STAT_CHANGE) {
                auto* c = static_cast<UConnection*>(e.b);
                OwnEnd(c, this)->SetFromEventValue(e.value, OtherEnd(c, this));
            }
        }
        // Handle just this batch; events that handlers post at the same time go round the
        // loop again and get their value copy first.
        for (; due > 0 && !events.empty(); --due) {
            std::list<UEvent> one;
            one.splice(one.begin(), events, events.begin());
            HandleEvent(&one.front());
        }
    }
    RunProcess(offset, n);
    position = end;
}

void ug_base::OnUiNotify(int kind, int /*value*/) {
    if (kind != 1) return;
    for (auto& p : plugs) {
        if (p->IsOutput() && (p->flags & uplug_flag::kGuiChanged)) {
            p->flags &= static_cast<uint8_t>(~uplug_flag::kGuiChanged);
            p->TransmitState(position, ST_STATIC);
        }
    }
}

void ug_base::HandleEvent(UEvent* e) {
    switch (e->type) {
        case UET_STAT_CHANGE: {
            auto* c = static_cast<UConnection*>(e->b);
            UPlug* dest = OwnEnd(c, this);
            const auto state = static_cast<StreamState>(e->a);
            dest->state = state;
            OnPlugStateChange(e->time, c, state);
            if (state == ST_STATIC) dest->state = ST_STOP;
            break;
        }
        case UET_UI_NOTIFY:
            OnUiNotify(e->a, e->value);
            break;
        case UET_SET_OUTPUT_VALUE: {
            auto* p = static_cast<UPlug*>(e->b);
            p->SetFromEventValue(e->value, nullptr);
            p->TransmitState(e->time, ST_STATIC);
            break;
        }
        case UET_RUN_CALLBACK: {
            RunCallback cb = nullptr;
            std::memcpy(&cb, e->extra.get(), sizeof cb);
            (this->*cb)();
            break;
        }
        default:
            break;  // the module's own types
    }
}

std::unique_ptr<ug_base> ug_base::Clone() {
    std::unique_ptr<ug_base> copy = CreateInstance();
    copy->next_clone = next_clone;
    next_clone = copy.get();
    copy->document_module = document_module;
    copy->handle = handle;
    copy->sort_order = sort_order;
    copy->parent = parent;
    copy->program_scope = program_scope;
    copy->engine = engine;

    // The copy's own descriptors give the addresses of its members; direction, type and
    // flags follow this unit's plugs, which may include plugs added after listing.
    InterfaceList own;
    copy->ListInterface(own);
    for (std::size_t i = 0; i < plugs.size(); ++i) {
        const UPlug& p = *plugs[i];
        void* bind = nullptr;
        if (i < own.size()) {
            bind = own[i].direction == DR_PARAMETER ? own[i].parameter_variable : own[i].variable;
        }
        UPlug* q = copy->AddPlug(p.direction, p.data_type,
                                 static_cast<uint8_t>(p.flags & ~uplug_flag::kOwnsData), bind);
        // A voice copy must play like the original: carry over settings no wire delivers.
        q->CopyValueFrom(p);
    }
    copy->AllocateBuffers();
    copy->flags = (flags & ~(ug_flag::kSuspended | ug_flag::kOpen)) | ug_flag::kVoiceCopy;
    return copy;
}

void ug_base::Suspend() {
    if (flags & ug_flag::kNeverSuspend) return;
    engine->Remove(this);
    flags |= ug_flag::kSuspended;
}

void ug_base::Resume() {
    if (!(flags & ug_flag::kSuspended)) return;
    flags &= ~ug_flag::kSuspended;
    if (!asleep) {
        engine->Insert(this);
    } else if (HasEvents()) {
        Wake();
    }
    if (static_count > 0) static_count = block;
}

void ug_base::PostMidi(uint32_t time, uint32_t message, UPlug* plug) {
    AddEvent(UEvent(time, UET_MIDI, 0, plug, static_cast<int32_t>(message)), true);
}

void ug_base::PostStatChange(uint32_t time, UConnection* c, StreamState state) {
    const int32_t value = OtherEnd(c, this)->EventValue();
    if (IsSuspended()) {
        // A suspended unit does not run, so only the newest stale change per wire matters.
        auto newest = events.end();
        for (auto it = events.begin(); it != events.end(); ++it) {
            if (it->type != UET_STAT_CHANGE || it->b != c) continue;
            if (Ahead(it->time, engine->sub_block_start) >= 0) continue;
            if (newest != events.end()) events.erase(newest);
            newest = it;
        }
    } else {
        Wake();
    }
    InsertEvent(UEvent(time, UET_STAT_CHANGE, state, c, value));
}

void ug_base::OnPlugStateChange(uint32_t, UConnection*, StreamState) {}

void ug_base::ListInterface(InterfaceList&) {}

void ug_base::Open() {
    static_count = block;
    engine->Insert(this);
    for (auto& p : plugs) {
        if (p->IsAudio()) {
            USampBlock* b = p->IsOutput() ? p->Block() : p->ResolveInputBuffer();
            if (p->bind_address && b) *static_cast<float**>(p->bind_address) = b->data();
        } else if (p->bind_address && p->data_type == PT_TEXT) {
            *static_cast<std::string**>(p->bind_address) = &p->TextValue();
        } else if (p->bind_address && p->data_type == PT_DOUBLE) {
            *static_cast<double**>(p->bind_address) = &p->DoubleValue();
        }
    }
    // Inputs start from what their sources hold now, announced at least as static.
    for (auto& p : plugs) {
        if (!p->IsInput()) continue;
        for (UConnection* c : p->connections) {
            if (c->to != p.get()) continue;
            p->CopyValueFrom(*c->from);
            PostStatChange(position, c, std::max(c->from->state, ST_STATIC));
        }
    }
    flags |= ug_flag::kOpen;
}

void ug_base::Close() {
    flags &= ~ug_flag::kOpen;
}

void ug_base::OnGuiMessage(int32_t, my_input_stream*) {}

void ug_base::AllocateBuffers() {
    audio_input_count = 0;
    audio_output_count = 0;
    for (auto& p : plugs) {
        if (!p->IsAudio()) continue;
        if (!p->data) p->AllocateAudio();
        if (p->direction == DR_OUT) ++audio_output_count;
        if (p->direction == DR_IN) ++audio_input_count;
    }
}

void ug_base::OnPlugCreated(int, UPlug*) {}

bool ug_base::CanSleep() {
    return true;
}

void ug_base::OnDspMessage(int32_t id, my_input_stream* stream) {
    if (!IsSuspended()) Wake();
    OnGuiMessage(id, stream);
}

void ug_base::BuildPlugs(const InterfaceList& list) {
    for (const InterfaceObject& io : list) {
        void* bind = io.direction == DR_PARAMETER ? io.parameter_variable : io.variable;
        UPlug* p = AddPlug(io.direction, io.data_type, UPlugFlagsFromDescriptor(io.flags), bind);
        OnPlugCreated(plug_count() - 1, p);
    }
}

UPlug* ug_base::AddPlug(Direction direction, DataType type, uint8_t plug_flags, void* bind) {
    plugs.push_back(std::make_unique<UPlug>(this, direction, type, plug_flags, bind));
    return plugs.back().get();
}

void ug_base::AddEvent(UEvent&& event, bool wake) {
    if (wake && asleep && !IsSuspended()) Wake();
    InsertEvent(std::move(event));
}

void ug_base::PostProgramChange(uint32_t time, int value) {
    AddEvent(UEvent(time, UET_PROG_CHANGE, 0, nullptr, value), true);
}

void ug_base::RunAt(uint32_t time, RunCallback callback) {
    UEvent e(time, UET_RUN_CALLBACK);
    e.extra = std::make_unique<std::byte[]>(sizeof callback);
    std::memcpy(e.extra.get(), &callback, sizeof callback);
    AddEvent(std::move(e), true);
}

void ug_base::ProcessNothing(int, int) {}

void ug_base::SleepProcess(int, int) {
    if (CanSleep() && events.empty() && !asleep) {
        engine->Remove(this);
        asleep = true;
    }
}

void ug_base::ResetStaticCount() {
    static_count = block;
}

void ug_base::CountStaticSamples(int count) {
    static_count -= count;
    if (static_count <= 0) SetProcess(&ug_base::SleepProcess);
}

UPlug* ug_base::plug(int index) const {
    if (index < 0 || index >= plug_count()) {
        throw std::invalid_argument("plug index out of range");
    }
    return plugs[static_cast<std::size_t>(index)].get();
}

int ug_base::BufferOffset() const {
    return static_cast<int>(position - engine->sub_block_start);
}

}  // namespace md
