// LiveSplit's replies as they come off the socket: any bytes, partial lines, stale lines.
#include "launcher_core/livesplit/livesplit_text.h"

#include "fuzz_check.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view received(reinterpret_cast<const char*>(data), size);

    const std::string line = livesplit_reply_line(received);
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    FUZZ_CHECK(line.size() <= received.size());

    // A time is a positive number of seconds or nothing, and the line alone gives the same one.
    const std::optional<double> time = parse_livesplit_time(received);
    if (time) FUZZ_CHECK(std::isfinite(*time) && *time > 0.0);
    if (received.find('\n') == std::string_view::npos)
        FUZZ_CHECK(parse_livesplit_time(line) == time);

    // The segments of LiveSplit's run, and of a splits file of any content.
    (void)parse_split_index(received);
    FUZZ_CHECK(count_lss_segments(received) <= static_cast<int>(size / 9));
    return 0;
}
