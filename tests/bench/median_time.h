// Timing for the benchmark programs that scripts/bench.sh runs: the median of repeated rounds
// (one slow round, a page fault or the scheduler, does not move it), printed as the lines
// "KVR_BENCH <key> <value>" that bench.sh collects into its table.
#pragma once
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace kvr::bench {

// `work(i)` for i = 0 .. rounds-1; the median time of one call in milliseconds.
template <class Work> double median_ms(int rounds, const Work& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work(i);
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - start;
        times.push_back(spent.count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void print_figure(const char* key, double value) {
    std::printf("KVR_BENCH %s %.4f\n", key, value);
    std::fflush(stdout);
}

} // namespace kvr::bench
