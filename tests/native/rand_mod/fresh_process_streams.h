// Puts the process's generator back to the state of a freshly loaded mod, so each test starts
// from it. The mod itself never needs this: it is loaded once per game process.
#pragma once
#include "rand_mod/rand_streams.h"

#include <mutex>

inline void reset_process_streams(kvr::CrtRand real_rand) {
    kvr::RandStreams& streams = kvr::process_rand_streams();
    std::lock_guard<kvr::StreamLock> guard(streams.lock);
    streams.enabled = true;
    streams.window = false;
    streams.real_rand = real_rand;
    streams.seed = kvr::kInitialSeed;
    streams.generation = 1;
    streams.total_calls = 0;
    streams.total_served = 0;
    auto clear = [](kvr::SiteRecord& record) {
        record.key = 0;
        record.calls = 0;
        record.served = 0;
        record.state = 0;
        record.generation = 0;
    };
    for (kvr::SiteRecord& record : streams.sites)
        clear(record);
    clear(streams.overflow);
}
