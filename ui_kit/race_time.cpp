#include "ui_kit/race_time.h"

#include <cmath>
#include <cstdio>

namespace kvr::ui {

namespace {

// A week of racing is far below this; the cap keeps the minute count inside an int.
constexpr double kMaxSeconds = 1.0e8;

std::string format(double seconds, const char* minutes_format) {
    if (!(seconds > 0)) seconds = 0; // also catches NaN
    if (seconds > kMaxSeconds) seconds = kMaxSeconds;
    const long long hundredths = std::llround(seconds * 100.0);
    const long long minutes = hundredths / 6000;
    const long long rest = hundredths % 6000;
    char buf[48];
    char minute_text[24];
    std::snprintf(minute_text, sizeof minute_text, minutes_format, minutes);
    std::snprintf(buf, sizeof buf, "%s:%02lld.%02lld", minute_text, rest / 100, rest % 100);
    return buf;
}

} // namespace

std::string race_time_text(double seconds) {
    return format(seconds, "%lld");
}

std::string race_time_text_padded(double seconds) {
    return format(seconds, "%02lld");
}

std::string countdown_text(std::string_view label, int seconds_left) {
    if (seconds_left < 0) seconds_left = 0;
    return std::string(label) + "  (" + std::to_string(seconds_left) + "s)";
}

} // namespace kvr::ui
