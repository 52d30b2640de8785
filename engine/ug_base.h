// The unit generator: base of every DSP module of a running patch.
//
// A unit lists its plugs in ListInterface, picks its process function in
// OnPlugStateChange, reports its output states with TransmitState and sleeps once its
// output has been constant for one sub-block. Construction, ListInterface, plug building
// and connection run during engine setup with processing stopped; everything else runs on
// the audio thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/interface_object.h"
#include "engine/dsp_msg_target.h"
#include "engine/event_processor.h"
#include "engine/uplug.h"

namespace md {

class CUG;
class ug_container;

// Bits of the flags word.
namespace ug_flag {
inline constexpr uint32_t kIoMod = 0x1;  // a container's constant-source module
inline constexpr uint32_t kPolyCloned = 0x4;
inline constexpr uint32_t kPolyNeeded = 0x8;
inline constexpr uint32_t kPolyDownstream = 0x10;
inline constexpr uint32_t kPolyStop = 0x40;  // polyphony marking does not pass
inline constexpr uint32_t kSuspended = 0x80;
inline constexpr uint32_t kOpen = 0x100;
inline constexpr uint32_t kNeverSuspend = 0x200;
inline constexpr uint32_t kVoiceCopy = 0x800;
inline constexpr uint32_t kScheduleEarly = 0x2000;
inline constexpr uint32_t kParamSetter = 0x40000;
inline constexpr uint32_t kParamWatcher = 0x80000;
}  // namespace ug_flag

class ug_base : public EventProcessor, public dsp_msg_target {
public:
    // Process function: fills `count` samples starting at buffer index `offset`.
    using ProcessFn = void (ug_base::*)(int offset, int count);
    // Callback scheduled with RunAt; runs with position at the scheduled time.
    using RunCallback = void (ug_base::*)();

    ug_base();
    ~ug_base() override;

    // --- operations in dispatch order -------------------------------------------------
    virtual void Wake();
    virtual void ProcessSlice(int n);
    virtual void OnUiNotify(int kind, int value);
    virtual void HandleEvent(UEvent* e);
    virtual std::unique_ptr<ug_base> CreateInstance() const = 0;
    virtual std::unique_ptr<ug_base> Clone();
    virtual void Suspend();
    virtual void Resume();
    virtual void PostMidi(uint32_t time, uint32_t message, UPlug* plug);
    virtual void PostStatChange(uint32_t time, UConnection* connection, StreamState state);
    virtual void OnPlugStateChange(uint32_t time, UConnection* connection, StreamState state);
    virtual void ListInterface(InterfaceList& list);
    virtual void Open();
    virtual void Close();
    virtual void OnGuiMessage(int32_t id, my_input_stream* stream);
    virtual void AllocateBuffers();
    virtual void OnPlugCreated(int index, UPlug* plug);
    virtual bool CanSleep();

    // dsp_msg_target: wakes the unit (unless suspended) and forwards to OnGuiMessage.
    void OnDspMessage(int32_t id, my_input_stream* stream) override;

    // --- setup ------------------------------------------------------------------------
    // Builds one plug per descriptor, in order (bind address: the descriptor's variable,
    // or its parameter variable for DR_PARAMETER entries), then calls OnPlugCreated.
    void BuildPlugs(const InterfaceList& list);
    // Appends one plug. Returns it; the unit owns it.
    UPlug* AddPlug(Direction direction, DataType type, uint8_t flags = 0,
                   void* bind_address = nullptr);

    // --- event posting (audio thread) ---------------------------------------------------
    // Inserts an event in time order; with `wake`, an asleep, unsuspended unit wakes first.
    void AddEvent(UEvent&& event, bool wake);
    void PostProgramChange(uint32_t time, int value);
    void RunAt(uint32_t time, RunCallback callback);
    template <class T>
    void RunAt(uint32_t time, void (T::*callback)()) {
        RunAt(time, static_cast<RunCallback>(callback));
    }

    // Moves this unit's clock and earlier pending events to `time` (used on insertion
    // into the active list).
    void CatchUp(uint32_t time);

    // --- process functions ---------------------------------------------------------------
    template <class T>
    void SetProcess(void (T::*fn)(int, int)) {
        process_function = static_cast<ProcessFn>(fn);
    }
    void SetProcess(ProcessFn fn) { process_function = fn; }
    ProcessFn GetProcess() const { return process_function; }
    void RunProcess(int offset, int count) { (this->*process_function)(offset, count); }

    void ProcessNothing(int offset, int count);
    // Base function for units whose output has become constant: leaves the active list.
    void SleepProcess(int offset, int count);
    void ResetStaticCount();
    // For constant-output functions: counts produced samples and switches to
    // SleepProcess once a whole sub-block of the constant has been written.
    void CountStaticSamples(int count);

    // --- plug access ----------------------------------------------------------------------
    // Throws std::invalid_argument for an index out of range (a programming error).
    UPlug* plug(int index) const;
    int plug_count() const { return static_cast<int>(plugs.size()); }
    // Buffer index of this unit's current time.
    int BufferOffset() const;

    bool IsOpen() const { return (flags & ug_flag::kOpen) != 0; }
    bool IsSuspended() const { return (flags & ug_flag::kSuspended) != 0; }

    // --- fields ---------------------------------------------------------------------------
    int handle = -1;  // handle / voice id
    std::vector<std::unique_ptr<UPlug>> plugs;
    ug_container* parent = nullptr;
    ug_container* program_scope = nullptr;
    ug_base* next_clone = nullptr;
    int static_count = 0;
    int audio_input_count = 0;
    int audio_output_count = 0;
    CUG* document_module = nullptr;

private:
    ProcessFn process_function = &ug_base::ProcessNothing;
};

}  // namespace md
