#include "launcher_core/format_text.h"

#include "common/utf8.h"

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

// Length of the UTF-8 sequence a lead byte announces; 0 for a byte that cannot lead one.
size_t sequence_length(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}

} // namespace

std::string log_safe(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += bytes[i++];
            continue;
        }
        const size_t len = sequence_length(c);
        if (len && kvr::is_valid_utf8(bytes.substr(i, len)) && i + len <= bytes.size()) {
            out.append(bytes.substr(i, len));
            i += len;
            continue;
        }
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += hex;
        ++i;
    }
    return out;
}
