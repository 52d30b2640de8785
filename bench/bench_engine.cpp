// Cost of the slice loop for a chain of units, running and asleep. A patch whose inputs
// are constant should cost next to nothing once its units have gone to sleep; the
// "asleep_per_running" counter is that cost as a fraction of the running cost.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "engine/engine_core.h"
#include "engine/test_units.h"

namespace {

using md::test::Gain;
using md::test::LevelSource;
using md::test::MakeUnit;

constexpr int kHostBlock = 512;

struct Chain {
    md::test::BlockLength len{128};
    md::EngineCore engine;
    std::unique_ptr<LevelSource> source;
    std::vector<std::unique_ptr<Gain>> gains;

    Chain(int length, bool running) {
        source = MakeUnit<LevelSource>(engine, length + 1);
        source->level = 0.1f;
        md::UPlug* from = source->plug(LevelSource::out_signal);
        for (int i = 0; i < length; ++i) {
            gains.push_back(MakeUnit<Gain>(engine, length - i));
            md::ConnectPlugs(from, gains.back()->plug(Gain::in_signal));
            from = gains.back()->plug(Gain::out_signal);
        }
        source->Open();
        for (auto& g : gains) g->Open();
        // A running source keeps every gain at full rate.
        if (running) source->plug(LevelSource::out_signal)->TransmitState(0, md::ST_RUN);
        engine.RunSlices(kHostBlock * 2);  // settle: sleeping chains fall asleep here
    }
};

void RunChain(benchmark::State& state, bool running) {
    Chain chain(static_cast<int>(state.range(0)), running);
    for (auto _ : state) {
        chain.engine.RunSlices(kHostBlock);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kHostBlock);
}

void BM_ChainRunning(benchmark::State& state) {
    RunChain(state, true);
}
void BM_ChainAsleep(benchmark::State& state) {
    RunChain(state, false);
}

// Runs both in one benchmark so the ratio is measured under the same conditions.
void BM_AsleepVersusRunning(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    Chain running(length, true);
    Chain asleep(length, false);
    using Clock = std::chrono::steady_clock;
    Clock::duration running_time{}, asleep_time{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        running.engine.RunSlices(kHostBlock);
        const auto t1 = Clock::now();
        asleep.engine.RunSlices(kHostBlock);
        const auto t2 = Clock::now();
        running_time += t1 - t0;
        asleep_time += t2 - t1;
        benchmark::ClobberMemory();
    }
    const double r = static_cast<double>(running_time.count());
    state.counters["asleep_per_running"] =
        r > 0 ? static_cast<double>(asleep_time.count()) / r : 0.0;
}

}  // namespace

BENCHMARK(BM_ChainRunning)->Arg(16)->Arg(128);
BENCHMARK(BM_ChainAsleep)->Arg(16)->Arg(128);
BENCHMARK(BM_AsleepVersusRunning)->Arg(16)->Arg(128);
BENCHMARK_MAIN();
