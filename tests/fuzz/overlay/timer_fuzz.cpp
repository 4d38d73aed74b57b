// timer.txt as the in-game script rewrites it, polled again and again: any bytes in each write,
// any time between polls.
#include "overlay/timer_model.h"

#include "fuzz_check.h"
#include "time_text_check.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    TimerState t;
    uint64_t now = in.ConsumeIntegral<uint32_t>();
    while (in.remaining_bytes() > 0) {
        t.enabled = in.ConsumeIntegralInRange<int>(0, 7) != 0;
        const std::string content = in.ConsumeRandomLengthString(96);
        const bool visible = timer_poll(t, content, now);
        FUZZ_CHECK(!visible || (t.enabled && !content.empty()));
        now += in.ConsumeIntegral<uint16_t>();
        timer_refresh(t, now);
        FUZZ_CHECK(is_time_text(timer_time_text(t)));
        (void)timer_segment_text(t);
        (void)switch_file_has(content, '1');
    }
    return 0;
}
