// items_per_second is the throughput of all threads together: two threads are "not slower in
// total" when their figure is at least the one-thread figure.
#include "rand_mod/rand_streams.h"
#include "rand_mod/replacement_rand.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

int crt_rand() {
    return rand();
}

void open_window() {
    kvr::RandStreams& streams = kvr::process_rand_streams();
    kvr::reset_rand_streams(streams);
    streams.real_rand = crt_rand;
    streams.window = true;
}

// Separate call instructions, so each thread is a call site of its own.
__attribute__((noinline)) int site_a() {
    return kvr::replacement_rand();
}
__attribute__((noinline)) int site_b() {
    return kvr::replacement_rand();
}

void BM_CrtRand(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(rand());
    state.SetItemsProcessed(state.iterations());
}

void BM_ReplacementRand(benchmark::State& state) {
    if (state.thread_index() == 0) open_window();
    int (*site)() = state.thread_index() == 0 ? site_a : site_b;
    for (auto _ : state)
        benchmark::DoNotOptimize(site());
    state.SetItemsProcessed(state.iterations());
}

// Both threads on one site: the worst case, every step contends for the same record.
void BM_ReplacementRandSharedSite(benchmark::State& state) {
    if (state.thread_index() == 0) open_window();
    for (auto _ : state)
        benchmark::DoNotOptimize(site_a());
    state.SetItemsProcessed(state.iterations());
}

// Closed window: counting, then passing through to the C runtime.
void BM_ReplacementRandPassThrough(benchmark::State& state) {
    if (state.thread_index() == 0) {
        open_window();
        kvr::process_rand_streams().window = false;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(site_a());
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_CrtRand)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(BM_ReplacementRand)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(BM_ReplacementRandSharedSite)->Threads(2)->UseRealTime();
BENCHMARK(BM_ReplacementRandPassThrough)->Threads(1)->UseRealTime();
