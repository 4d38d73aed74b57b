#include "launcher_core/base/complete_json.h"

#include <vector>

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

size_t skip_blanks(std::string_view s, size_t pos) {
    while (pos < s.size() && is_blank(s[pos]))
        ++pos;
    return pos;
}

bool is_bare_byte(char c) {
    switch (c) {
    case ',':
    case ':':
    case '{':
    case '}':
    case '[':
    case ']':
    case '"':
        return false;
    default:
        return !is_blank(c);
    }
}

// Past the string that opens at `pos`; npos when it is never closed or holds a raw control byte
// (JSON has them only escaped; raw, a line break in a receipt value would go on into the body
// and the log as it stands).
size_t past_string(std::string_view s, size_t pos) {
    for (++pos; pos < s.size(); ++pos) {
        if (static_cast<unsigned char>(s[pos]) < 0x20) return std::string_view::npos;
        if (s[pos] == '"') return pos + 1;
        if (s[pos] == '\\' && ++pos < s.size() && static_cast<unsigned char>(s[pos]) < 0x20)
            return std::string_view::npos;
    }
    return std::string_view::npos;
}

} // namespace

bool is_complete_json(std::string_view s) {
    enum class Want { value, value_or_close, key, key_or_close, colon, comma_or_close };
    std::vector<char> open; // the closing bracket of every container still open
    Want want = Want::value;
    bool done = false;
    for (size_t pos = skip_blanks(s, 0); pos < s.size(); pos = skip_blanks(s, pos)) {
        if (done) return false; // bytes after the one value
        const char c = s[pos];
        const bool closes = !open.empty() && c == open.back();
        if (closes && (want == Want::value_or_close || want == Want::key_or_close ||
                       want == Want::comma_or_close)) {
            open.pop_back();
            ++pos;
        } else if (want == Want::comma_or_close) {
            if (c != ',') return false;
            want = open.back() == '}' ? Want::key : Want::value;
            ++pos;
            continue;
        } else if (want == Want::colon) {
            if (c != ':') return false;
            want = Want::value;
            ++pos;
            continue;
        } else if (want == Want::key || want == Want::key_or_close) {
            if (c != '"' || (pos = past_string(s, pos)) == std::string_view::npos) return false;
            want = Want::colon;
            continue;
        } else if (c == '{' || c == '[') {
            open.push_back(c == '{' ? '}' : ']');
            want = c == '{' ? Want::key_or_close : Want::value_or_close;
            ++pos;
            continue;
        } else if (c == '"') {
            if ((pos = past_string(s, pos)) == std::string_view::npos) return false;
        } else if (is_bare_byte(c)) {
            while (pos < s.size() && is_bare_byte(s[pos]))
                ++pos;
        } else {
            return false;
        }
        // A value, or the container just closed, is complete here.
        if (open.empty())
            done = true;
        else
            want = Want::comma_or_close;
    }
    return done;
}
