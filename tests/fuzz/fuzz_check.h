// Checks inside fuzz targets: a broken property aborts, so libFuzzer keeps the input that broke
// it as a finding, exactly as it does for a sanitizer report.
#pragma once
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

#include "common/utf8.h"

#include <string_view>

// A text fit for one log line: valid UTF-8 without any character an editor or a terminal could
// take for a line break or a control (C0, C1, DEL, U+2028, U+2029, direction overrides).
inline bool is_one_log_line(std::string_view text) {
    for (size_t i = 0, len; i < text.size(); i += len) {
        char32_t c = 0;
        if ((len = kvr::next_utf8_char(text, i, c)) == 0) return false;
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
            (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069))
            return false;
    }
    return true;
}
