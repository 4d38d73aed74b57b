// UTF-8 validity. Text from outside (files, registry, environment, server answers) is kept as it
// is when it is valid UTF-8 and converted from the ANSI code page otherwise; this decides which.
#pragma once
#include <string>
#include <string_view>

namespace kvr {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view s);

// Turns bytes read from outside into UTF-8 (the Win32 side's is external_to_utf8).
using TextDecoder = std::string (*)(std::string_view);

// Drops a leading UTF-8 byte-order mark (Notepad writes one).
std::string_view strip_utf8_bom(std::string_view s);

} // namespace kvr
