// Small byte-string helpers used by the parsers. Every function works on raw bytes and is
// safe for any input, including empty strings and embedded NULs.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kvr {

// Blanks, tabs, carriage returns and line feeds: what every trim in the system removes.
inline constexpr std::string_view kBlankChars = " \t\r\n";

std::string trim(std::string_view s, std::string_view chars = kBlankChars);
std::string trim_right(std::string_view s, std::string_view chars = kBlankChars);

// Replaces every occurrence of `from`, scanning left to right and resuming after the inserted
// text, so an inserted text is never searched again. An empty `from` changes nothing.
std::string replace_all(std::string_view s, std::string_view from, std::string_view to);

// Removes every trailing '/' (a base URL given with or without them gives the same requests).
std::string strip_trailing_slashes(std::string_view s);

bool contains(std::string_view s, std::string_view part);

// Splits at every `sep`, keeping empty fields; the last field runs to the end. An empty input
// gives one empty field. The views point into `s`.
std::vector<std::string_view> split(std::string_view s, char sep);

// One command-line argument in double quotes, at most `max_bytes` of `value`: double quotes are
// dropped and backslashes before the closing quote doubled, since an odd run of them would
// escape it. It then arrives as one argument, whatever it holds.
std::string quoted_argument(std::string_view value, size_t max_bytes = std::string_view::npos);

} // namespace kvr
