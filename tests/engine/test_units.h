// Small units for driving the unit-generator machinery in tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/dsp_globals.h"
#include "engine/engine_core.h"
#include "engine/ug_base.h"

namespace md::test {

// Sets the global sub-block length for one test and restores it afterwards.
class BlockLength {
public:
    explicit BlockLength(int length) : saved_(block) { block = length; }
    ~BlockLength() { block = saved_; }

private:
    int saved_;
};

// A source with one audio output holding a settable level.
class LevelSource : public ug_base {
public:
    enum { out_signal };
    float* out = nullptr;
    float level = 0.0f;

    std::unique_ptr<ug_base> CreateInstance() const override {
        return std::make_unique<LevelSource>();
    }
    void ListInterface(InterfaceList& list) override {
        list.push_back(InterfaceObject::Make(&out, DR_OUT, PT_AUDIO, "Signal Out"));
    }
    void Open() override {
        ug_base::Open();
        Announce();
    }
    // Starts a sub-block of the current level and tells the receivers it changed.
    void Announce() {
        SetProcess(&LevelSource::FillConstant);
        ResetStaticCount();
        plug(out_signal)->TransmitState(position, ST_STATIC);
    }
    void FillConstant(int offset, int count) {
        for (int i = 0; i < count; ++i) out[offset + i] = level;
        CountStaticSamples(count);
    }
};

// A gain stage following the usual state protocol: full rate while its input runs,
// otherwise one sub-block of constant output and then sleep.
class Gain : public ug_base {
public:
    enum { in_signal, in_gain, out_signal };
    float* in = nullptr;
    float gain = 1.0f;
    float* out = nullptr;
    int constant_samples = 0;
    int running_samples = 0;

    std::unique_ptr<ug_base> CreateInstance() const override { return std::make_unique<Gain>(); }
    void ListInterface(InterfaceList& list) override {
        list.push_back(InterfaceObject::Make(&in, DR_IN, PT_AUDIO, "Signal In", "0"));
        list.push_back(InterfaceObject::Make(&gain, DR_IN, PT_FLOAT, "Gain", "1"));
        list.push_back(InterfaceObject::Make(&out, DR_OUT, PT_AUDIO, "Signal Out"));
    }
    void Open() override {
        ug_base::Open();
        Choose(position);
    }
    void OnPlugStateChange(uint32_t time, UConnection*, StreamState) override { Choose(time); }
    void Choose(uint32_t time) {
        const StreamState s = plug(in_signal)->state;
        if (s == ST_RUN) {
            SetProcess(&Gain::Running);
        } else {
            SetProcess(&Gain::Constant);
            ResetStaticCount();
        }
        plug(out_signal)->TransmitState(time, s);
    }
    void Running(int offset, int count) {
        for (int i = offset; i < offset + count; ++i) out[i] = in[i] * gain;
        running_samples += count;
    }
    void Constant(int offset, int count) {
        const float v = in[offset] * gain;
        for (int i = offset; i < offset + count; ++i) out[i] = v;
        constant_samples += count;
        CountStaticSamples(count);
    }
};

// Records what happens to it: process calls, handled events and state changes.
class Recorder : public ug_base {
public:
    enum { in_a, in_b, out_value };
    float a = 0.0f;
    float b = 0.0f;
    float value = 0.0f;

    struct Entry {
        std::string what;  // "process", "event", "state"
        uint32_t time;     // position at the call
        int count;         // samples (process), event type/a, or plug index (state)
        float a, b;        // input values seen at the call
    };
    std::vector<Entry> log;

    std::unique_ptr<ug_base> CreateInstance() const override {
        return std::make_unique<Recorder>();
    }
    void ListInterface(InterfaceList& list) override {
        list.push_back(InterfaceObject::Make(&a, DR_IN, PT_FLOAT, "A"));
        list.push_back(InterfaceObject::Make(&b, DR_IN, PT_FLOAT, "B"));
        list.push_back(InterfaceObject::Make(&value, DR_OUT, PT_FLOAT, "Value"));
    }
    void Open() override {
        ug_base::Open();
        SetProcess(&Recorder::Record);
    }
    void Record(int, int count) { log.push_back({"process", position, count, a, b}); }
    void HandleEvent(UEvent* e) override {
        if (e->type >= 100) {
            log.push_back({"event", position, e->a, a, b});
            return;
        }
        ug_base::HandleEvent(e);
    }
    void OnPlugStateChange(uint32_t time, UConnection* c, StreamState) override {
        log.push_back({"state", time, c->to->Index(), a, b});
    }
    void Tick() { log.push_back({"callback", position, 0, a, b}); }

    std::vector<Entry> Only(const std::string& what) const {
        std::vector<Entry> out;
        for (const auto& e : log) {
            if (e.what == what) out.push_back(e);
        }
        return out;
    }
};

// Builds a unit's plugs from its own descriptors and allocates its buffers.
template <class T>
std::unique_ptr<T> MakeUnit(EngineCore& engine, int sort_order) {
    auto u = std::make_unique<T>();
    InterfaceList list;
    u->ListInterface(list);
    u->BuildPlugs(list);
    u->AllocateBuffers();
    u->engine = &engine;
    u->sort_order = sort_order;
    return u;
}

}  // namespace md::test
