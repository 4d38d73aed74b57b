// LiveSplit's settings.cfg as found on the player's PC (any bytes), pointed at the race layout.
#include "launcher_core/livesplit/livesplit_text.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

size_t count(std::string_view text, std::string_view part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string layout = in.ConsumeRandomLengthString(64);
    const std::string settings = in.ConsumeRemainingBytesAsString();

    const LayoutFix fix = point_layout_at(settings, layout);
    if (!fix.changed) FUZZ_CHECK(fix.text == settings);
    // The path is written as XML text, so it adds no element of its own.
    FUZZ_CHECK(count(fix.text, "<LayoutPath>") == count(settings, "<LayoutPath>"));
    FUZZ_CHECK(count(fix.text, "</LayoutPath>") == count(settings, "</LayoutPath>"));
    // A file already fixed is left alone: the launcher does not rewrite it on every start.
    const LayoutFix again = point_layout_at(fix.text, layout);
    FUZZ_CHECK(!again.changed);
    FUZZ_CHECK(again.text == fix.text);
    return 0;
}
