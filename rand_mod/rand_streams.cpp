#include "rand_mod/rand_streams.h"

#include <mutex>

namespace kvr {

namespace {

constexpr uint32_t kGolden = 0x9E3779B9u;
constexpr uint32_t kSiteMask = kSiteRecordCount - 1;
static_assert((kSiteRecordCount & kSiteMask) == 0, "the probe wraps with a mask");
static_assert(sizeof(SiteRecord) == 24);

// For counters that change only under the lock: no read-modify-write needed.
void bump(std::atomic<uint32_t>& counter) {
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

// Linear probing from the hash's low bits; claiming an empty record is a compare-and-swap, so
// two threads that meet at a new site agree on one record without taking the lock.
SiteRecord& record_for(RandStreams& streams, uint64_t key, uint32_t hash) {
    // Key 0 marks an empty record; a caller that computes to it would share whichever
    // site later claims that record, so it gets the overflow stream instead.
    if (key == 0) return streams.overflow;
    uint32_t index = hash & kSiteMask;
    for (std::size_t probe = 0; probe < kSiteRecordCount; ++probe) {
        SiteRecord& record = streams.sites[index];
        if (take_record(record, key, record.key.load(std::memory_order_acquire))) return record;
        index = (index + 1) & kSiteMask;
    }
    return streams.overflow;
}

// The stream step and the served counters share the one lock. Every served count changes only
// under it, so a plain load and store cannot lose a count, and lock-free readers still see
// whole values.
uint32_t serve_next(RandStreams& streams, SiteRecord& record, uint32_t hash) {
    std::lock_guard<StreamLock> guard(streams.lock);
    if (record.generation != streams.generation) {
        record.generation = streams.generation;
        record.state = mix32((streams.seed ^ hash) + kGolden);
    }
    record.state = record.state * 214013u + 2531011u;
    bump(record.served);
    bump(streams.total_served);
    return record.state;
}

} // namespace

uint32_t mix32(uint32_t v) {
    v ^= v >> 16;
    v *= 0x85EBCA6Bu;
    v ^= v >> 13;
    v *= 0xC2B2AE35u;
    v ^= v >> 16;
    return v;
}

uint32_t site_hash(uint64_t caller_key) {
    return mix32(static_cast<uint32_t>(caller_key) + kGolden);
}

bool take_record(SiteRecord& record, uint64_t key, uint64_t seen) {
    if (seen == key) return true;
    if (seen != 0) return false;
    // The swap fails when another thread claimed the record since `seen` was read; when that
    // thread came from the same site, the record is this site's too.
    return record.key.compare_exchange_strong(seen, key, std::memory_order_acq_rel) || seen == key;
}

int draw_rand(RandStreams& streams, uint64_t caller_key) {
    streams.total_calls.fetch_add(1, std::memory_order_relaxed);
    const uint32_t hash = site_hash(caller_key);
    SiteRecord& record = record_for(streams, caller_key, hash);
    record.calls.fetch_add(1, std::memory_order_relaxed);

    if (!streams.enabled.load(std::memory_order_relaxed) ||
        !streams.window.load(std::memory_order_relaxed)) {
        const CrtRand real = streams.real_rand.load(std::memory_order_relaxed);
        return real ? real() : 0;
    }

    const uint32_t state = serve_next(streams, record, hash);
    return static_cast<int>((state >> 16) & 0x7FFF);
}

void set_rand_seed(RandStreams& streams, uint32_t seed) {
    std::lock_guard<StreamLock> guard(streams.lock);
    streams.seed = seed;
    ++streams.generation;
}

uint32_t rand_seed(RandStreams& streams) {
    std::lock_guard<StreamLock> guard(streams.lock);
    return streams.seed;
}

uint32_t listed_site_count(const RandStreams& streams) {
    uint32_t count = 0;
    for (const SiteRecord& record : streams.sites) {
        if (record.key.load(std::memory_order_acquire) != 0) ++count;
    }
    return count;
}

std::optional<SiteCounts> listed_site(const RandStreams& streams, int64_t index) {
    if (index < 0) return std::nullopt;
    for (const SiteRecord& record : streams.sites) {
        const uint64_t key = record.key.load(std::memory_order_acquire);
        if (key == 0) continue;
        if (index-- == 0) {
            return SiteCounts{key, record.calls.load(std::memory_order_relaxed),
                              record.served.load(std::memory_order_relaxed)};
        }
    }
    return std::nullopt;
}

RandStreams& process_rand_streams() {
    static RandStreams streams;
    return streams;
}

} // namespace kvr
