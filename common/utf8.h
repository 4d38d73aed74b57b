// UTF-8 validity. Text from outside (files, registry, environment, server answers) is kept as it
// is when it is valid UTF-8 and converted from the ANSI code page otherwise; this decides which.
#pragma once
#include <string>
#include <string_view>

namespace kvr {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view s);

// The character whose strict UTF-8 sequence begins at s[i] (i < s.size()), and that sequence's
// length in bytes; 0 when none begins there (a stray or cut byte, an overlong form, a
// surrogate). Texts from outside are walked by characters with it.
size_t next_utf8_char(std::string_view s, size_t i, char32_t& cp);

// C0 and C1 control characters and DEL.
bool is_control_char(char32_t cp);

// Turns bytes read from outside into UTF-8 (the Win32 side's is external_to_utf8).
using TextDecoder = std::string (*)(std::string_view);

// Drops a leading UTF-8 byte-order mark (Notepad writes one).
std::string_view strip_utf8_bom(std::string_view s);

} // namespace kvr
