// Per-call-site random streams: the generator behind the game's `rand` while the mod is hooked.
//
// Contract: every call is counted (in total and for its call site). While the generator is
// enabled and the window is open, a call returns the next value 0..32767 of its call site's own
// stream; otherwise it returns the saved C runtime `rand`'s value. A site's stream starts from
// mix((seed ^ site hash) + 0x9E3779B9) on its first call after each SetRandSeed (same seed
// value included) and steps as state * 214013 + 2531011, so its values depend only on the seed
// and on how often that site itself was called. Sites are found by the caller key (a return
// address relative to the executable); 1024 sites get records of their own, further sites
// share one overflow record and its one stream. Any thread may call.
#pragma once
#include "rand_mod/stream_lock.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kvr {

inline constexpr std::size_t kSiteRecordCount = 1024;
inline constexpr uint32_t kInitialSeed = 12345;

using CrtRand = int (*)();

struct SiteRecord {
    std::atomic<uint64_t> key{0}; // 0 = not claimed yet
    std::atomic<uint32_t> calls{0};
    std::atomic<uint32_t> served{0}; // changes under RandStreams::lock, read without it
    uint32_t state = 0;              // guarded by RandStreams::lock
    uint32_t generation = 0; // seed generation `state` was derived from; guarded by the lock
};

struct RandStreams {
    std::atomic<bool> enabled{true};
    std::atomic<bool> window{false};
    std::atomic<CrtRand> real_rand{nullptr};
    StreamLock lock;
    uint32_t seed = kInitialSeed; // guarded by lock
    uint32_t generation = 1;      // guarded by lock; every record starts out of date
    std::atomic<uint32_t> total_calls{0};
    std::atomic<uint32_t> total_served{0}; // changes under the lock, read without it
    std::array<SiteRecord, kSiteRecordCount> sites;
    SiteRecord overflow;
};

struct SiteCounts {
    uint64_t key = 0;
    uint32_t calls = 0;
    uint32_t served = 0;
};

// The MurmurHash3 32-bit finaliser.
uint32_t mix32(uint32_t v);
uint32_t site_hash(uint64_t caller_key);

// Whether `record` belongs to the site `key`, claiming it when it was free: `seen` is the key
// the caller read from it (0 = free). Of threads that meet at a new site, one claims the
// record and the others take it as theirs.
bool take_record(SiteRecord& record, uint64_t key, uint64_t seen);

// One call of the replacement `rand` from the site `caller_key`.
int draw_rand(RandStreams& streams, uint64_t caller_key);

// Sets the seed and restarts every stream at its next call.
void set_rand_seed(RandStreams& streams, uint32_t seed);
uint32_t rand_seed(RandStreams& streams);

// Records with a site, in table order; the overflow record is never listed.
uint32_t listed_site_count(const RandStreams& streams);
std::optional<SiteCounts> listed_site(const RandStreams& streams, int64_t index);

// The one instance the hooked `rand` and the Lua functions share.
RandStreams& process_rand_streams();

} // namespace kvr
