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

// Outside text made fit for one log line: what an editor or a terminal could take for a line break
// or a control (C0 and C1 controls, DEL, U+2028, U+2029, the bidirectional overrides that make a
// line read in another order) is shown as \xNN or \uXXXX, and so is every byte that is not part
// of valid UTF-8; other text, UTF-8 included, passes unchanged. Work is done by characters, so a
// control written as a two-byte sequence is caught too. At most `max_chars` characters are kept;
// a cut is marked "... (N bytes)". A Steam name, a path, a receipt value or a server answer can
// then neither break the line nor forge the next one. Escaping an escaped text changes nothing.
inline constexpr size_t kLogTextChars = 1024;
std::string log_safe(std::string_view bytes, size_t max_chars = kLogTextChars);
