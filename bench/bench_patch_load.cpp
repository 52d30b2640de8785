// Loading a big patch (1,000 modules, 2,000 connections, some through container spares) in
// tool mode. Counters: load_ms per load, peak_MB (the most heap bytes in use during one load
// above what was in use before it; MB = 10^6 bytes) and bytes (the archive's size).
// Goal: load_ms under 20 with peak_MB under 20.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

#include "bench/big_patch.h"
#include "document/patch_document.h"

// ---- heap accounting: every operator new and delete of the process ----
namespace {

std::atomic<size_t> g_in_use{0};
std::atomic<size_t> g_peak{0};

void* Allocate(size_t size, size_t alignment) {
    if (size == 0) size = 1;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(size)
                  // aligned_alloc wants a size that is a multiple of the alignment.
                  : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (p == nullptr) throw std::bad_alloc();
    const size_t n = malloc_usable_size(p);
    const size_t now = g_in_use.fetch_add(n, std::memory_order_relaxed) + n;
    size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
    return p;
}

void Release(void* p) noexcept {
    if (p == nullptr) return;
    g_in_use.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}

}  // namespace

void* operator new(size_t size) {
    return Allocate(size, alignof(std::max_align_t));
}
void* operator new[](size_t size) {
    return Allocate(size, alignof(std::max_align_t));
}
void* operator new(size_t size, std::align_val_t a) {
    return Allocate(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a) {
    return Allocate(size, static_cast<size_t>(a));
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, size_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
    Release(p);
}

namespace {

std::vector<uint8_t> BigPatchBytes(benchmark::State& state) {
    md::ApplicationFiles app;
    md::PatchDocument doc(app);
    if (const std::string error = md::bench::BuildBigPatch(doc); !error.empty()) {
        state.SkipWithError(error.c_str());
        return {};
    }
    return doc.Save();
}

void BM_LoadBigPatch(benchmark::State& state) {
    const std::vector<uint8_t> bytes = BigPatchBytes(state);
    if (bytes.empty()) return;
    md::LoadOptions tool;
    tool.plugin_mode = false;
    size_t peak_bytes = 0;
    double load_seconds = 0;
    md::bench::TreeCounts loaded;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto app = std::make_unique<md::ApplicationFiles>();
        auto doc = std::make_unique<md::PatchDocument>(*app);
        const size_t before = g_in_use.load(std::memory_order_relaxed);
        g_peak.store(before, std::memory_order_relaxed);
        const auto t0 = Clock::now();
        const bool ok = doc->LoadFromBytes(bytes, tool);
        const auto t1 = Clock::now();
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(seconds);
        load_seconds += seconds;
        peak_bytes = std::max(peak_bytes, g_peak.load(std::memory_order_relaxed) - before);
        if (!ok) {
            state.SkipWithError(("load failed: " + doc->error()).c_str());
            break;
        }
        loaded = md::bench::CountTree(*doc->root());
        // The document is destroyed outside the measured time.
    }
    state.counters["load_ms"] =
        benchmark::Counter(load_seconds * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = static_cast<double>(peak_bytes) / 1e6;
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["modules"] = loaded.modules;
    state.counters["connections"] = loaded.connections;
}
BENCHMARK(BM_LoadBigPatch)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
