// launch.state as the start window polls it while the launcher core rewrites it: each poll reads
// at most kStateReadLimit bytes of whatever is there, or nothing.
#include "start_window/launch_progress.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    LaunchWatch watch;
    watch.start_ms = in.ConsumeIntegral<uint32_t>();
    uint64_t now = watch.start_ms;
    const bool core_started = in.ConsumeBool();
    while (in.remaining_bytes() > 0) {
        const std::string read = in.ConsumeRandomLengthString(kStateReadLimit);
        now += in.ConsumeIntegralInRange<uint32_t>(0, 20000);
        const bool close = poll_launch_state(watch, read, now);
        // Only the two closing words, or the watch running out, close the card.
        FUZZ_CHECK(!close || watch.last_word == "playing" || watch.last_word == "done" ||
                   now - watch.start_ms > watch.limit_ms);
        if (!read.empty()) FUZZ_CHECK(watch.last_word == read);
        FUZZ_CHECK(!card_stage_text(watch, core_started).empty());
        (void)footer_text(now - watch.start_ms);
        FUZZ_CHECK(dot_phase(now - watch.start_ms) < 4);
        if (close) break;
    }
    return 0;
}
