// printf-style formatting into a std::string, for log lines built by the portable logic.
#pragma once
#include <string>

#if defined(__GNUC__)
#define KVR_FORMAT_CHECK(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define KVR_FORMAT_CHECK(fmt_index, first_arg)
#endif

std::string format_text(const char* fmt, ...) KVR_FORMAT_CHECK(1, 2);
