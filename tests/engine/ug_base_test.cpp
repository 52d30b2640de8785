#include "engine/ug_base.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "engine/engine_core.h"
#include "engine/usamp_block.h"
#include "support/allocation_counter.h"
#include "test_units.h"

namespace md {
namespace {

using test::BlockLength;
using test::Gain;
using test::LevelSource;
using test::MakeUnit;
using test::Recorder;

// A private event type the recorder logs (its `a` identifies the event).
UEvent Marker(uint32_t time, int id) {
    return UEvent(time, 100, id);
}

TEST(UnitCoreEvents, EqualTimesKeepInsertionOrderAndEarlierTimesGoFirst) {
    EngineCore engine;
    auto r = MakeUnit<Recorder>(engine, 0);
    r->Open();
    r->AddEvent(Marker(10, 1), false);
    r->AddEvent(Marker(10, 2), false);
    r->AddEvent(Marker(5, 3), false);
    r->AddEvent(Marker(10, 4), false);
    engine.RunSlices(32);

    std::vector<int> order;
    for (const auto& e : r->Only("event")) order.push_back(e.count);
    EXPECT_EQ(order, (std::vector<int>{3, 1, 2, 4}));
}

TEST(UnitCoreEvents, EventAtPositionComesFirstAndEventAtSliceEndWaits) {
    BlockLength len(64);
    EngineCore engine;
    auto r = MakeUnit<Recorder>(engine, 0);
    r->Open();
    r->AddEvent(Marker(0, 1), false);   // at the slice start
    r->AddEvent(Marker(20, 2), false);  // inside
    r->AddEvent(Marker(32, 3), false);  // exactly at the end of the first slice
    engine.RunSlices(32);

    ASSERT_GE(r->log.size(), 4u);
    EXPECT_EQ(r->log[0].what, "event");
    EXPECT_EQ(r->log[0].time, 0u);
    EXPECT_EQ(r->log[1].what, "process");
    EXPECT_EQ(r->log[1].count, 20);
    EXPECT_EQ(r->log[2].what, "event");
    EXPECT_EQ(r->log[2].time, 20u);
    EXPECT_EQ(r->log[3].what, "process");
    EXPECT_EQ(r->log[3].count, 12);
    EXPECT_EQ(r->Only("event").size(), 2u) << "the event at the slice end must wait";
    EXPECT_EQ(r->position, 32u);

    engine.RunSlices(32);
    auto events = r->Only("event");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].time, 32u);
}

TEST(UnitCoreEvents, EventsAcrossTheClockWrapStayInOrder) {
    BlockLength len(64);
    EngineCore engine;
    const uint32_t start = 0xFFFFFFF0u;  // 16 samples before the clock wraps
    engine.now = start;
    engine.sub_block_start = start;
    auto r = MakeUnit<Recorder>(engine, 0);
    r->Open();
    r->AddEvent(Marker(start + 40, 2), false);  // after the wrap: time 24
    r->AddEvent(Marker(start + 8, 1), false);   // before it
    engine.RunSlices(64);

    auto events = r->Only("event");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].count, 1);
    EXPECT_EQ(events[0].time, start + 8);
    EXPECT_EQ(events[1].count, 2);
    EXPECT_EQ(events[1].time, 24u);
}

TEST(UnitCoreEvents, RunAtCallsTheCallbackAtItsTime) {
    EngineCore engine;
    auto r = MakeUnit<Recorder>(engine, 0);
    r->Open();
    r->RunAt(7, &Recorder::Tick);
    engine.RunSlices(16);
    auto calls = r->Only("callback");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].time, 7u);
}

struct Wire {
    EngineCore engine;
    std::unique_ptr<Recorder> source = MakeUnit<Recorder>(engine, 10);
    std::unique_ptr<Recorder> dest = MakeUnit<Recorder>(engine, 5);
    UPlug* out() { return source->plug(Recorder::out_value); }
    Wire() {
        ConnectPlugs(out(), dest->plug(Recorder::in_a));
        source->Open();
        dest->Open();
        engine.RunSlices(1);  // deliver the initial values
        dest->log.clear();
    }
    int StateChangesSeen() const { return static_cast<int>(dest->Only("state").size()); }
};

TEST(UnitCoreStates, StaticIsSentEveryTimeRunOnlyOnChange) {
    struct Case {
        const char* name;
        StreamState first, second;
        uint32_t t1, t2;
        int expected;
    };
    const Case cases[] = {
        {"static twice at different times", ST_STATIC, ST_STATIC, 2, 5, 2},
        {"run twice", ST_RUN, ST_RUN, 2, 5, 1},
        {"run then static", ST_RUN, ST_STATIC, 2, 5, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wire w;
        w.out()->TransmitState(w.engine.now + c.t1, c.first);
        w.out()->TransmitState(w.engine.now + c.t2, c.second);
        w.engine.RunSlices(16);
        EXPECT_EQ(w.StateChangesSeen(), c.expected);
    }
}

TEST(UnitCoreStates, StaticSendLeavesTheOutputStoppedAndTheInputToo) {
    Wire w;
    w.out()->TransmitState(w.engine.now, ST_STATIC);
    EXPECT_EQ(w.out()->state, ST_STOP);
    EXPECT_EQ(w.out()->last_static_time, w.engine.now);
    w.engine.RunSlices(4);
    EXPECT_EQ(w.dest->plug(Recorder::in_a)->state, ST_STOP);
}

TEST(UnitCoreStates, AudioStaticTwiceAtTheSameTimeIsSentOnce) {
    EngineCore engine;
    auto src = MakeUnit<LevelSource>(engine, 10);
    auto gain = MakeUnit<Gain>(engine, 5);
    auto* recv = gain.get();
    ConnectPlugs(src->plug(LevelSource::out_signal), recv->plug(Gain::in_signal));
    const size_t before = recv->events.size();
    src->plug(0)->TransmitState(3, ST_STATIC);
    src->plug(0)->TransmitState(3, ST_STATIC);
    EXPECT_EQ(recv->events.size(), before + 1);
}

TEST(UnitCoreStates, SimultaneousChangesWriteAllValuesBeforeTheFirstReaction) {
    EngineCore engine;
    auto s1 = MakeUnit<Recorder>(engine, 10);
    auto s2 = MakeUnit<Recorder>(engine, 9);
    auto dest = MakeUnit<Recorder>(engine, 5);
    ConnectPlugs(s1->plug(Recorder::out_value), dest->plug(Recorder::in_a));
    ConnectPlugs(s2->plug(Recorder::out_value), dest->plug(Recorder::in_b));
    for (auto* u : {s1.get(), s2.get(), dest.get()}) u->Open();
    engine.RunSlices(1);
    dest->log.clear();

    s1->value = 3.0f;
    s2->value = 4.0f;
    s1->plug(Recorder::out_value)->TransmitState(engine.now + 2, ST_STATIC);
    s2->plug(Recorder::out_value)->TransmitState(engine.now + 2, ST_STATIC);
    s1->value = 99.0f;  // the value travels with the change, not read later
    engine.RunSlices(8);

    auto states = dest->Only("state");
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].a, 3.0f);
    EXPECT_EQ(states[0].b, 4.0f) << "second input must be written before the first reaction";
    EXPECT_EQ(states[1].a, 3.0f);
    EXPECT_EQ(states[1].b, 4.0f);
}

TEST(UnitCoreOpen, InputsStartWithTheSourceValueAndAStaticChange) {
    EngineCore engine;
    auto src = MakeUnit<Recorder>(engine, 10);
    auto dest = MakeUnit<Recorder>(engine, 5);
    src->value = 2.5f;
    ConnectPlugs(src->plug(Recorder::out_value), dest->plug(Recorder::in_a));
    src->Open();
    dest->Open();
    EXPECT_EQ(dest->a, 2.5f) << "copied at Open, before any processing";
    ASSERT_EQ(dest->events.size(), 1u);
    EXPECT_EQ(dest->events.front().type, UET_STAT_CHANGE);
    EXPECT_EQ(dest->events.front().a, ST_STATIC);
    EXPECT_TRUE(dest->IsOpen());
    dest->Close();
    EXPECT_FALSE(dest->IsOpen());
}

TEST(UnitCoreSleep, ConstantInputGivesOneBlockOfOutputThenSleeps) {
    BlockLength len(32);
    EngineCore engine;
    auto src = MakeUnit<LevelSource>(engine, 10);
    auto gain = MakeUnit<Gain>(engine, 5);
    src->level = 0.5f;
    gain->gain = 0.5f;
    ConnectPlugs(src->plug(LevelSource::out_signal), gain->plug(Gain::in_signal));
    src->Open();
    gain->Open();

    // Slices of 10 samples: the constant function must stop after exactly 32 samples.
    for (int i = 0; i < 10; ++i) engine.RunSlices(10);
    EXPECT_EQ(gain->constant_samples, 32);
    EXPECT_EQ(gain->running_samples, 0);
    EXPECT_TRUE(gain->asleep);
    EXPECT_TRUE(src->asleep);
    EXPECT_EQ(engine.ActiveHead(), nullptr);
    for (int i = 0; i < 32; ++i) EXPECT_FLOAT_EQ(gain->out[i], 0.25f) << i;
}

TEST(UnitCoreSleep, AStateChangeWakesASleepingUnit) {
    BlockLength len(16);
    EngineCore engine;
    auto src = MakeUnit<LevelSource>(engine, 10);
    auto gain = MakeUnit<Gain>(engine, 5);
    ConnectPlugs(src->plug(LevelSource::out_signal), gain->plug(Gain::in_signal));
    src->Open();
    gain->Open();
    engine.RunSlices(64);
    ASSERT_TRUE(gain->asleep);

    src->plug(LevelSource::out_signal)->TransmitState(engine.now + 3, ST_RUN);
    EXPECT_FALSE(gain->asleep);
    EXPECT_TRUE(engine.IsLinked(gain.get()));
    EXPECT_EQ(gain->position, engine.now) << "caught up to now";
    engine.RunSlices(16);
    EXPECT_EQ(gain->running_samples, 13);
}

// Posts a marker to two other units from inside its own processing.
struct Poster : public Recorder {
    ug_base* upstream = nullptr;
    ug_base* downstream = nullptr;
    void Poke() {
        upstream->AddEvent(Marker(position, 1), true);
        downstream->AddEvent(Marker(position, 2), true);
    }
};

TEST(UnitCoreSleep, WakeCatchUpDependsOnWhoseTurnIsOver) {
    BlockLength len(64);
    EngineCore engine;
    auto upstream = MakeUnit<Recorder>(engine, 20);
    auto poster = MakeUnit<Poster>(engine, 10);
    auto downstream = MakeUnit<Recorder>(engine, 5);
    for (auto* u : {static_cast<ug_base*>(upstream.get()), static_cast<ug_base*>(poster.get()),
                    static_cast<ug_base*>(downstream.get())}) {
        u->Open();
    }
    engine.RunSlices(8);
    for (auto* u :
         {static_cast<ug_base*>(upstream.get()), static_cast<ug_base*>(downstream.get())}) {
        engine.Remove(u);
        u->asleep = true;
    }
    poster->upstream = upstream.get();
    poster->downstream = downstream.get();
    poster->RunAt(10, &Poster::Poke);

    engine.RunSlices(16);  // slice 8..24; the poster pokes at 10
    EXPECT_EQ(upstream->position, 24u) << "upstream's turn was over: caught up to the slice end";
    ASSERT_EQ(upstream->events.size(), 1u);
    EXPECT_EQ(upstream->events.front().time, 24u);
    auto down = downstream->Only("event");
    ASSERT_EQ(down.size(), 1u) << "downstream still had its turn in this slice";
    EXPECT_EQ(down[0].time, 10u);

    engine.RunSlices(16);
    auto up = upstream->Only("event");
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].time, 24u);
}

TEST(UnitCoreSleep, WakeDuringTheSliceWalkRunsDownstreamUnitsInTheSameSlice) {
    BlockLength len(64);
    EngineCore engine;
    auto src = MakeUnit<LevelSource>(engine, 10);
    auto gain = MakeUnit<Gain>(engine, 5);
    ConnectPlugs(src->plug(LevelSource::out_signal), gain->plug(Gain::in_signal));
    src->Open();
    gain->Open();
    engine.RunSlices(128);
    ASSERT_TRUE(gain->asleep);
    ASSERT_TRUE(src->asleep);

    // Waking the source makes it send a static change while it is processed; the gain,
    // later in the order, must run in that very slice.
    src->level = 0.2f;
    src->RunAt(engine.now, &LevelSource::Announce);
    gain->constant_samples = 0;
    engine.RunSlices(16);
    EXPECT_EQ(gain->constant_samples, 16);
}

TEST(UnitCoreSuspend, SuspendedUnitsKeepOnlyTheNewestStaleChangePerWire) {
    BlockLength len(16);
    Wire w;
    w.dest->Suspend();
    EXPECT_TRUE(w.dest->IsSuspended());
    EXPECT_FALSE(w.engine.IsLinked(w.dest.get()));
    w.source->value = 1.0f;
    w.out()->TransmitState(w.engine.now, ST_STATIC);
    w.source->value = 2.0f;
    w.out()->TransmitState(w.engine.now + 1, ST_STATIC);
    w.engine.RunSlices(32);  // the suspended unit does not run; its events get stale
    w.source->value = 3.0f;
    w.out()->TransmitState(w.engine.now, ST_STATIC);
    ASSERT_EQ(w.dest->events.size(), 2u) << "older stale change dropped, newest kept";
    EXPECT_EQ(w.dest->events.front().value, std::bit_cast<int32_t>(2.0f));

    w.dest->Resume();
    EXPECT_FALSE(w.dest->IsSuspended());
    EXPECT_TRUE(w.engine.IsLinked(w.dest.get()));
    w.engine.RunSlices(4);
    EXPECT_EQ(w.dest->a, 3.0f);
}

TEST(UnitCoreSuspend, NeverSuspendUnitsStayActive) {
    EngineCore engine;
    auto r = MakeUnit<Recorder>(engine, 0);
    r->flags |= ug_flag::kNeverSuspend;
    r->Open();
    r->Suspend();
    EXPECT_FALSE(r->IsSuspended());
    EXPECT_TRUE(engine.IsLinked(r.get()));
}

TEST(UnitCoreClone, CopiesPlugsFlagsAndLinksIntoTheChain) {
    EngineCore engine;
    auto g = MakeUnit<Gain>(engine, 7);
    g->handle = 3;
    g->gain = 0.75f;
    g->flags =
        ug_flag::kPolyCloned | ug_flag::kOpen | ug_flag::kSuspended | ug_flag::kScheduleEarly;
    g->AddPlug(DR_OUT, PT_AUDIO);  // a plug added after listing
    g->plug(Gain::in_gain)->flags |= uplug_flag::kPolyFed;

    auto c = g->Clone();
    EXPECT_EQ(g->next_clone, c.get());
    EXPECT_EQ(c->flags, ug_flag::kPolyCloned | ug_flag::kScheduleEarly | ug_flag::kVoiceCopy);
    EXPECT_EQ(c->handle, 3);
    EXPECT_EQ(c->sort_order, 7);
    EXPECT_EQ(c->engine, &engine);
    ASSERT_EQ(c->plug_count(), g->plug_count());
    for (int i = 0; i < g->plug_count(); ++i) {
        EXPECT_EQ(c->plug(i)->direction, g->plug(i)->direction) << i;
        EXPECT_EQ(c->plug(i)->data_type, g->plug(i)->data_type) << i;
        EXPECT_EQ(c->plug(i)->flags, g->plug(i)->flags) << i;
    }
    auto* cg = static_cast<Gain*>(c.get());
    EXPECT_EQ(c->plug(Gain::in_gain)->data, &cg->gain) << "bound to the copy's own member";
    EXPECT_EQ(cg->gain, 0.75f);
    EXPECT_NE(c->plug(Gain::out_signal)->Block(), nullptr);
    EXPECT_NE(c->plug(Gain::out_signal)->Block(), g->plug(Gain::out_signal)->Block());
    EXPECT_EQ(c->audio_output_count, 2);

    auto c2 = g->Clone();
    EXPECT_EQ(g->next_clone, c2.get());
    EXPECT_EQ(c2->next_clone, c.get());
}

TEST(UnitCorePlugs, OutOfRangeIndexIsAProgrammingError) {
    EngineCore engine;
    auto r = MakeUnit<Recorder>(engine, 0);
    EXPECT_THROW(r->plug(3), std::invalid_argument);
    EXPECT_THROW(r->plug(-1), std::invalid_argument);
    EXPECT_EQ(r->plug(2)->Index(), 2);
}

TEST(UnitCorePlugs, DestroyingAUnitDropsItsConnectionsAtBothEnds) {
    EngineCore engine;
    auto src = MakeUnit<Recorder>(engine, 1);
    auto dest = MakeUnit<Recorder>(engine, 0);
    ConnectPlugs(src->plug(Recorder::out_value), dest->plug(Recorder::in_a));
    ConnectPlugs(src->plug(Recorder::out_value), dest->plug(Recorder::in_b));
    dest.reset();
    EXPECT_TRUE(src->plug(Recorder::out_value)->connections.empty());
}

TEST(UnitCorePlugs, BuffersAreAlignedZeroedAndBoundAtOpen) {
    BlockLength len(24);
    EngineCore engine;
    auto src = MakeUnit<LevelSource>(engine, 1);
    auto gain = MakeUnit<Gain>(engine, 0);
    ConnectPlugs(src->plug(LevelSource::out_signal), gain->plug(Gain::in_signal));
    USampBlock* b = src->plug(LevelSource::out_signal)->Block();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b->data()) % 16, 0u);
    for (int i = 0; i < 24 + USampBlock::kSlack; ++i) EXPECT_EQ(b->Get(i), 0.0f);
    EXPECT_EQ(gain->audio_input_count, 1);
    EXPECT_EQ(gain->audio_output_count, 1);
    src->Open();
    gain->Open();
    EXPECT_EQ(gain->in, b->data());
    EXPECT_EQ(gain->out, gain->plug(Gain::out_signal)->Block()->data());
}

TEST(UnitCorePlugs, UnconnectedAudioInputsReadSilence) {
    EngineCore engine;
    auto gain = MakeUnit<Gain>(engine, 0);
    gain->Open();
    ASSERT_NE(gain->in, nullptr);
    EXPECT_EQ(gain->in[0], 0.0f);
}

TEST(UnitCoreEvents, SetOutputValueWritesAndAnnouncesIt) {
    Wire w;
    UEvent e(w.engine.now + 1, UET_SET_OUTPUT_VALUE, 0, w.out());
    e.SetFloatValue(6.5f);
    w.source->AddEvent(std::move(e), true);
    w.engine.RunSlices(8);
    EXPECT_EQ(w.source->value, 6.5f);
    EXPECT_EQ(w.dest->a, 6.5f);
    EXPECT_EQ(w.StateChangesSeen(), 1);
}

TEST(UnitCoreEvents, GuiNotifyAnnouncesOutputsChangedByTheGui) {
    Wire w;
    w.source->value = 1.25f;
    w.out()->flags |= uplug_flag::kGuiChanged;
    w.source->AddEvent(UEvent(w.engine.now, UET_UI_NOTIFY, 1), true);
    w.engine.RunSlices(8);
    EXPECT_EQ(w.dest->a, 1.25f);
    EXPECT_EQ(w.out()->flags & uplug_flag::kGuiChanged, 0);
    EXPECT_EQ(w.StateChangesSeen(), 1);
}

TEST(EngineSlices, SteadyStateProcessingAllocatesNothing) {
    BlockLength len(32);
    EngineCore engine;
    auto src = MakeUnit<LevelSource>(engine, 3);
    auto running = MakeUnit<Gain>(engine, 2);
    auto sleeper = MakeUnit<Gain>(engine, 1);
    ConnectPlugs(src->plug(LevelSource::out_signal), running->plug(Gain::in_signal));
    for (auto* u : {static_cast<ug_base*>(src.get()), static_cast<ug_base*>(running.get()),
                    static_cast<ug_base*>(sleeper.get())}) {
        u->Open();
    }
    src->plug(LevelSource::out_signal)->TransmitState(0, ST_RUN);
    engine.RunSlices(100);  // state changes delivered, the unconnected gain asleep

    test::AllocationCounter counter;
    for (int i = 0; i < 50; ++i) engine.RunSlices(77);
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_GT(running->running_samples, 50 * 77);
    EXPECT_TRUE(sleeper->asleep);
}

TEST(EngineSlices, SlicesNeverCrossSubBlockBoundaries) {
    BlockLength len(64);
    EngineCore engine;
    auto r = MakeUnit<Recorder>(engine, 0);
    r->Open();
    engine.RunSlices(30);
    r->log.clear();
    engine.RunSlices(100);
    std::vector<int> slices;
    for (const auto& e : r->Only("process")) slices.push_back(e.count);
    EXPECT_EQ(slices, (std::vector<int>{34, 64, 2}));
    EXPECT_EQ(engine.now, 130u);
    EXPECT_EQ(engine.sub_block_start, 128u);
}

TEST(EngineSlices, ActiveListIsOrderedBySortOrderWithTiesInInsertionOrder) {
    EngineCore engine;
    auto a = MakeUnit<Recorder>(engine, 5);
    auto b = MakeUnit<Recorder>(engine, 9);
    auto c = MakeUnit<Recorder>(engine, 5);
    auto d = MakeUnit<Recorder>(engine, 1);
    for (auto* u : {a.get(), b.get(), c.get(), d.get()}) engine.Insert(u);
    std::vector<ug_base*> order;
    for (auto* p = engine.ActiveHead(); p; p = static_cast<ug_base*>(p->next)) order.push_back(p);
    EXPECT_EQ(order, (std::vector<ug_base*>{b.get(), a.get(), c.get(), d.get()}));
    engine.Remove(a.get());
    engine.Remove(a.get());  // not linked: no-op
    EXPECT_FALSE(engine.IsLinked(a.get()));
    EXPECT_EQ(b->next, c.get());
}

}  // namespace
}  // namespace md
