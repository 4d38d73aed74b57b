// rand_mod_bench: what the hook costs the game. Measures, in one run and best of several rounds:
// the C runtime's rand, called through an import slot as the game calls it; the replacement
// with the window open on one thread; and two threads calling the replacement from call sites
// of their own, released together. Prints a table, then one "KVR_BENCH <key> <value>" line per
// figure. Targets: the replacement at most 1.5 times the runtime's rand per call; two threads
// together at least 0.8 times one thread's throughput.
#include "rand_mod/rand_streams.h"
#include "rand_mod/replacement_rand.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Rand = int (*)();
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;
constexpr uint64_t kCalls = 4'000'000;

// Import slots: the game loads the slot and calls through it on every call.
Rand volatile crt_slot = &rand;
Rand volatile hooked_slot = &kvr::replacement_rand;
volatile unsigned sink;

// One loop per call site: each instantiation is a call instruction of its own.
template <int Site> __attribute__((noinline)) unsigned call_through(Rand volatile& slot) {
    unsigned sum = 0;
    for (uint64_t i = 0; i < kCalls; ++i)
        sum += static_cast<unsigned>(slot());
    return sum;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <int Site> double time_calls(Rand volatile& slot) {
    const Clock::time_point start = Clock::now();
    sink = call_through<Site>(slot);
    return seconds_since(start);
}

// Both threads wait spinning at the line and leave it together; the time runs from the
// release until the second thread is done.
double time_two_threads() {
    std::atomic<int> arrived{0};
    std::atomic<bool> go{false};
    auto worker = [&](auto run) {
        arrived.fetch_add(1);
        while (!go.load())
            ;
        sink = run();
    };
    std::thread a(worker, [] { return call_through<1>(hooked_slot); });
    std::thread b(worker, [] { return call_through<2>(hooked_slot); });
    while (arrived.load() < 2)
        ;
    const Clock::time_point start = Clock::now();
    go.store(true);
    a.join();
    b.join();
    return seconds_since(start);
}

void report(const char* key, double value) {
    std::printf("KVR_BENCH %s %.3f\n", key, value);
}

} // namespace

int main() {
    kvr::RandStreams& streams = kvr::process_rand_streams();
    streams.real_rand = &rand;
    streams.window = true;

    double crt = 1e9, one = 1e9, two = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        crt = std::min(crt, time_calls<0>(crt_slot));
        one = std::min(one, time_calls<1>(hooked_slot));
        two = std::min(two, time_two_threads());
    }
    const double crt_ns = crt * 1e9 / kCalls;
    const double one_ns = one * 1e9 / kCalls;
    const double one_per_s = kCalls / one;
    const double two_per_s = 2 * kCalls / two;

    std::printf("rand_mod_bench: best of %d rounds of %llu calls\n", kRounds,
                static_cast<unsigned long long>(kCalls));
    std::printf("  C runtime rand                 %8.2f ns/call\n", crt_ns);
    std::printf(
        "  replacement, 1 thread          %8.2f ns/call   %.2fx the runtime's (target <= 1.5)\n",
        one_ns, one_ns / crt_ns);
    std::printf("  replacement, 2 threads         %8.2f M calls/s  %.2fx one thread's %.2f M/s "
                "(target >= 0.8)\n",
                two_per_s / 1e6, two_per_s / one_per_s, one_per_s / 1e6);
    report("rand_crt_ns", crt_ns);
    report("rand_replacement_1t_ns", one_ns);
    report("rand_replacement_1t_ratio", one_ns / crt_ns);
    report("rand_2t_total_per_s", two_per_s);
    report("rand_1t_per_s", one_per_s);
    report("rand_2t_ratio", two_per_s / one_per_s);
    return 0;
}
