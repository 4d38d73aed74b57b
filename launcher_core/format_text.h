// printf-style formatting into a std::string, for log lines built by the portable logic.
#pragma once
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define KVR_FORMAT_CHECK(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define KVR_FORMAT_CHECK(fmt_index, first_arg)
#endif

std::string format_text(const char* fmt, ...) KVR_FORMAT_CHECK(1, 2);

// Outside bytes made fit for one log line: control characters and bytes that are not part of
// valid UTF-8 are shown as \xNN, everything else (UTF-8 text included) passes unchanged. A
// server answer, a LiveSplit reply or a Steam name can then neither break the line nor forge
// the next one.
std::string log_safe(std::string_view bytes);
