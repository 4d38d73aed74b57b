// UTF-8 validity. Text from outside (files, registry, environment, server answers) is kept as it
// is when it is valid UTF-8 and converted from the ANSI code page otherwise; this decides which.
#pragma once
#include <string>
#include <string_view>

namespace kvr {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view s);

// Drops a leading UTF-8 byte-order mark (Notepad writes one).
std::string_view strip_utf8_bom(std::string_view s);

} // namespace kvr
