#include "launcher_core/base/format_text.h"

#include "common/utf8.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

std::string format_text(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string s;
    if (n > 0) {
        s.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(s.data(), s.size(), fmt, ap);
        s.resize(static_cast<size_t>(n));
    }
    va_end(ap);
    return s;
}

namespace {

// Characters shown escaped: controls, and the separators and direction overrides that would let
// a text end a line or rearrange it in an editor.
bool shown_escaped(char32_t cp) {
    return kvr::is_control_char(cp) || cp == 0x2028 || cp == 0x2029 ||
           (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

} // namespace

std::string log_safe(std::string_view bytes, size_t max_chars) {
    std::string out;
    out.reserve(std::min(bytes.size(), max_chars));
    size_t i = 0;
    for (size_t chars = 0; i < bytes.size() && chars < max_chars; ++chars) {
        char32_t cp = 0;
        const size_t len = kvr::next_utf8_char(bytes, i, cp);
        if (len == 0) {
            out += format_text("\\x%02X", static_cast<unsigned char>(bytes[i++]));
        } else if (shown_escaped(cp)) {
            out += format_text(cp < 0x80 ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(cp));
            i += len;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    if (i < bytes.size())
        out += format_text("... (%lu bytes)", static_cast<unsigned long>(bytes.size()));
    return out;
}
