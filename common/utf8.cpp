#include "common/utf8.h"

namespace kvr {

size_t next_utf8_char(std::string_view s, size_t i, char32_t& cp) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned c = p[i];
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0; // overlong
        if (c == 0xED) hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
        if (c == 0xF0) lo = 0x90; // overlong
        if (c == 0xF4) hi = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    if (p[i + 1] < lo || p[i + 1] > hi) return 0;
    for (size_t k = 1; k < len; ++k) {
        if (p[i + k] < 0x80 || p[i + k] > 0xBF) return 0;
        cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    return len;
}

bool is_valid_utf8(std::string_view s) {
    char32_t cp;
    for (size_t i = 0, len; i < s.size(); i += len)
        if ((len = next_utf8_char(s, i, cp)) == 0) return false;
    return true;
}

bool is_control_char(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

std::string_view strip_utf8_bom(std::string_view s) {
    if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    return s;
}

} // namespace kvr
