#include "rand_mod/rand_streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace kvr;

namespace {

constexpr int kCrtValue = 777; // what the stand-in for the C runtime's rand returns
int crt_rand_stub() {
    return kCrtValue;
}

std::unique_ptr<RandStreams> fresh_streams(bool window_open = true) {
    auto streams = std::make_unique<RandStreams>();
    streams->real_rand = crt_rand_stub;
    streams->window = window_open;
    return streams;
}

std::vector<int> draw_n(RandStreams& streams, uint64_t key, int n) {
    std::vector<int> values;
    for (int i = 0; i < n; ++i)
        values.push_back(draw_rand(streams, key));
    return values;
}

const SiteRecord* record_of(const RandStreams& streams, uint64_t key) {
    for (const SiteRecord& record : streams.sites) {
        if (record.key == key) return &record;
    }
    return nullptr;
}

} // namespace

// Pinned from an independent transcription of the formulas (a short Python script): mix is the
// MurmurHash3 finaliser, h = mix(low32(key) + 0x9E3779B9), start = mix((seed ^ h) + 0x9E3779B9),
// step s = s * 214013 + 2531011, value = (s >> 16) & 0x7FFF.
TEST(RandStreams, KnownAnswers) {
    EXPECT_EQ(mix32(0), 0u);
    EXPECT_EQ(mix32(1), 0x514E28B7u);
    EXPECT_EQ(site_hash(0x1234), 0x748DB296u);

    auto initial_seed = fresh_streams();
    EXPECT_EQ(draw_n(*initial_seed, 0x1234, 6),
              (std::vector<int>{22893, 32002, 27943, 29245, 28638, 26627}));

    auto seeded = fresh_streams();
    set_rand_seed(*seeded, 42);
    EXPECT_EQ(draw_n(*seeded, 0x1234, 6),
              (std::vector<int>{6658, 28765, 21494, 6810, 16910, 10885}));
    // Only the key's low 32 bits enter the hash, but the full key names the site.
    EXPECT_EQ(draw_n(*seeded, 0x140001A2B, 6),
              (std::vector<int>{12583, 30423, 14562, 11934, 31299, 12156}));

    auto top_seed = fresh_streams();
    set_rand_seed(*top_seed, 0xFFFFFFFF);
    EXPECT_EQ(draw_n(*top_seed, 0x10, 6), (std::vector<int>{25896, 475, 7738, 30951, 1016, 21036}));
}

TEST(RandStreams, ClosedWindowOrDisabledPassesThroughButCountsPerSite) {
    auto streams = fresh_streams(false); // the window starts closed
    EXPECT_EQ(draw_n(*streams, 0x1234, 3), (std::vector<int>(3, kCrtValue)));

    streams->window = true;
    streams->enabled = false;
    EXPECT_EQ(draw_rand(*streams, 0x1234), kCrtValue);

    const SiteRecord* site = record_of(*streams, 0x1234);
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->calls, 4u);
    EXPECT_EQ(site->served, 0u);
    EXPECT_EQ(streams->total_calls, 4u);
    EXPECT_EQ(streams->total_served, 0u);

    // Passing through does not advance the stream: the first served value is the stream's first.
    streams->enabled = true;
    EXPECT_EQ(draw_rand(*streams, 0x1234), 22893);
    EXPECT_EQ(site->calls, 5u);
    EXPECT_EQ(site->served, 1u);
    EXPECT_EQ(streams->total_served, 1u);

    // No saved C runtime rand yet: passing through yields 0 rather than calling nothing.
    auto unhooked = std::make_unique<RandStreams>();
    EXPECT_EQ(draw_rand(*unhooked, 5), 0);
}

TEST(RandStreams, SequenceOfASiteIgnoresOtherSites) {
    auto alone = fresh_streams();
    const std::vector<int> expected = draw_n(*alone, 0xA0, 8);

    auto busy = fresh_streams();
    std::vector<int> got;
    for (int i = 0; i < 8; ++i) {
        draw_n(*busy, 0xB0 + i % 3, i); // other sites call a varying number of times in between
        got.push_back(draw_rand(*busy, 0xA0));
    }
    EXPECT_EQ(got, expected);
}

TEST(RandStreams, SeedingRestartsEveryStreamEvenWithTheSameSeed) {
    auto streams = fresh_streams();
    const std::vector<int> first_a = draw_n(*streams, 1, 4);
    const std::vector<int> first_b = draw_n(*streams, 2, 4);

    set_rand_seed(*streams, rand_seed(*streams));
    EXPECT_EQ(draw_n(*streams, 1, 4), first_a);
    EXPECT_EQ(draw_n(*streams, 2, 4), first_b);

    set_rand_seed(*streams, 7);
    EXPECT_EQ(rand_seed(*streams), 7u);
    EXPECT_EQ(draw_n(*streams, 1, 3), (std::vector<int>{23660, 15972, 32260}));
}

TEST(RandStreams, SitesCollidingInTheLowBitsGetRecordsOfTheirOwn) {
    // Keys 10 and 37 share the start index 823.
    ASSERT_EQ(site_hash(10) & 0x3FF, 823u);
    ASSERT_EQ(site_hash(37) & 0x3FF, 823u);

    auto alone = fresh_streams();
    const std::vector<int> expected37 = draw_n(*alone, 37, 5);

    auto streams = fresh_streams();
    draw_n(*streams, 10, 3);
    EXPECT_EQ(draw_n(*streams, 37, 5), expected37);
    EXPECT_EQ(streams->sites[823].key, 10u);
    EXPECT_EQ(streams->sites[824].key, 37u);
    EXPECT_EQ(listed_site_count(*streams), 2u);
    const auto first = listed_site(*streams, 0);
    const auto second = listed_site(*streams, 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->key, 10u);
    EXPECT_EQ(first->calls, 3u);
    EXPECT_EQ(second->key, 37u);
    EXPECT_EQ(second->served, 5u);
    EXPECT_FALSE(listed_site(*streams, 2));
    EXPECT_FALSE(listed_site(*streams, -1));
}

TEST(RandStreams, SitesBeyondTheTableShareTheOverflowRecord) {
    auto streams = fresh_streams();
    for (uint64_t key = 1; key <= kSiteRecordCount; ++key)
        draw_rand(*streams, key);
    EXPECT_EQ(listed_site_count(*streams), kSiteRecordCount);

    // The overflow stream starts from the first caller after seeding and is then shared.
    auto reference = fresh_streams();
    const std::vector<int> shared = draw_n(*reference, 5000, 3);
    EXPECT_EQ(draw_rand(*streams, 5000), shared[0]);
    EXPECT_EQ(draw_rand(*streams, 5001), shared[1]);
    EXPECT_EQ(draw_rand(*streams, 5000), shared[2]);

    EXPECT_EQ(streams->overflow.key, 0u);
    EXPECT_EQ(streams->overflow.calls, 3u);
    EXPECT_EQ(streams->overflow.served, 3u);
    EXPECT_EQ(streams->total_calls, kSiteRecordCount + 3);
    EXPECT_EQ(listed_site_count(*streams), kSiteRecordCount);
    EXPECT_FALSE(listed_site(*streams, kSiteRecordCount));
    EXPECT_TRUE(listed_site(*streams, kSiteRecordCount - 1));
}

// The moment two threads race for a new site's free record: both read it as free, the other
// thread's swap lands first. The loser must take that record, not claim a second one.
TEST(RandStreams, LoserOfTheClaimTakesTheRecordTheWinnerClaimedForItsSite) {
    SiteRecord record;
    record.key = 0x77; // the winner's swap, after this thread read 0
    EXPECT_TRUE(take_record(record, 0x77, 0));
    EXPECT_FALSE(take_record(record, 0x78, 0)); // another site's: probe on
    EXPECT_EQ(record.key, 0x77u);

    SiteRecord free_record;
    EXPECT_TRUE(take_record(free_record, 0x78, 0));
    EXPECT_EQ(free_record.key, 0x78u);
}

// The probe goes round the whole table: a new site whose one free record is the last it reaches
// (just before its start index) still gets a record of its own.
TEST(RandStreams, ProbingReachesTheLastFreeRecordBeforeTheOverflow) {
    constexpr uint64_t kKey = 0x1234;
    const uint32_t last = (site_hash(kKey) + kSiteRecordCount - 1) % kSiteRecordCount;
    auto streams = fresh_streams();
    for (uint32_t i = 0; i < kSiteRecordCount; ++i) {
        if (i != last) streams->sites[i].key = 0x100000 + i;
    }
    draw_rand(*streams, kKey);
    EXPECT_EQ(streams->sites[last].key, kKey);
    EXPECT_EQ(streams->overflow.calls, 0u);
}

TEST(RandStreams, KeyZeroUsesTheOverflowRecordAndClaimsNothing) {
    auto streams = fresh_streams();
    draw_rand(*streams, 0);
    EXPECT_EQ(listed_site_count(*streams), 0u);
    EXPECT_EQ(streams->overflow.calls, 1u);
    // The record key 0 would have probed first stays free for a real site.
    auto reference = fresh_streams();
    const std::vector<int> expected = draw_n(*reference, 0x1234, 2);
    EXPECT_EQ(draw_n(*streams, 0x1234, 2), expected);
}

// Releases threads together, round after round. Waiting threads spin a while before they
// yield, so those that are running leave the line at the same moment.
class StartLine {
  public:
    explicit StartLine(int threads) : threads_(threads), waiting_(threads) {}

    void arrive_and_wait() {
        const int round = round_.load();
        if (waiting_.fetch_sub(1) == 1) {
            waiting_.store(threads_);
            round_.fetch_add(1);
            return;
        }
        for (int spins = 0; round_.load() == round; ++spins) {
            if (spins > 1000) std::this_thread::yield();
        }
    }

  private:
    const int threads_;
    std::atomic<int> waiting_;
    std::atomic<int> round_{0};
};

// Run under ThreadSanitizer too: claiming, counting and stepping from several threads at once.
TEST(RandStreamsThreads, HammeringDistinctAndSharedSitesLosesNothing) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 5000;
    constexpr uint64_t kShared = 0x5EED;
    constexpr uint64_t kNewSites = 512; // each claimed by every thread at the same moment
    auto streams = fresh_streams();
    StartLine start(kThreads);

    std::vector<std::vector<int>> shared_values(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (uint64_t key = 1; key <= kNewSites; ++key) {
                start.arrive_and_wait();
                draw_rand(*streams, 0x10000 + key);
            }
            start.arrive_and_wait();
            for (int i = 0; i < kRounds; ++i) {
                draw_rand(*streams, 0x100 + t);
                shared_values[t].push_back(draw_rand(*streams, kShared));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    const uint32_t expected_calls = kThreads * (kNewSites + 2 * kRounds);
    EXPECT_EQ(streams->total_calls, expected_calls);
    EXPECT_EQ(streams->total_served, expected_calls);
    // A thread that lost the race to claim a site's record takes the winner's record for the
    // same site instead of claiming a second one.
    EXPECT_EQ(listed_site_count(*streams), kNewSites + kThreads + 1);
    for (uint64_t key = 1; key <= kNewSites; ++key) {
        const SiteRecord* site = record_of(*streams, 0x10000 + key);
        ASSERT_NE(site, nullptr);
        ASSERT_EQ(site->calls, uint32_t{kThreads}) << "site " << key;
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(record_of(*streams, 0x100 + t)->served, uint32_t{kRounds});

    const SiteRecord* shared = record_of(*streams, kShared);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->calls, uint32_t{kThreads * kRounds});
    EXPECT_EQ(shared->served, uint32_t{kThreads * kRounds});

    // The shared stream took every step exactly once: together the threads saw its first
    // kThreads * kRounds values, whatever the interleaving.
    std::vector<int> seen;
    for (const auto& values : shared_values)
        seen.insert(seen.end(), values.begin(), values.end());
    auto reference = fresh_streams();
    std::vector<int> expected = draw_n(*reference, kShared, kThreads * kRounds);
    std::sort(seen.begin(), seen.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
}
