#include "launcher_core/base/json_fields.h"

#include <charconv>

namespace {

size_t skip_blanks(std::string_view s, size_t pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r' || s[pos] == '\n'))
        ++pos;
    return pos;
}

// The first '"' at or after `pos` that no backslash escapes.
size_t closing_quote(std::string_view s, size_t pos) {
    for (; pos < s.size(); ++pos) {
        if (s[pos] == '\\')
            ++pos;
        else if (s[pos] == '"')
            return pos;
    }
    return std::string_view::npos;
}

// Where the value that starts at `pos` (after blanks) ends: the first ',' or '}' after it. A
// string is skipped to its closing quote and an object or array to its matching bracket, so a
// ',' or '}' inside them does not end the value; any other value runs to the first ',' or '}'.
size_t value_end(std::string_view s, size_t pos) {
    pos = skip_blanks(s, pos);
    if (pos < s.size() && s[pos] == '"') {
        pos = closing_quote(s, pos + 1);
        if (pos == std::string_view::npos) return pos;
    } else if (pos < s.size() && (s[pos] == '{' || s[pos] == '[')) {
        size_t depth = 0;
        for (; pos < s.size(); ++pos) {
            const char c = s[pos];
            if (c == '"') {
                pos = closing_quote(s, pos + 1);
                if (pos == std::string_view::npos) return pos;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                return s.find_first_of(",}", pos + 1);
            }
        }
        return std::string_view::npos;
    }
    return s.find_first_of(",}", pos);
}

std::string_view view_of(std::string_view text, TextSpan span) {
    return text.substr(span.begin, span.end - span.begin);
}

} // namespace

std::optional<TextSpan> quoted_value_span(std::string_view text, std::string_view pattern) {
    const size_t key = text.find(pattern);
    if (key == std::string_view::npos) return std::nullopt;
    const size_t open = skip_blanks(text, key + pattern.size());
    if (open >= text.size() || text[open] != '"') return std::nullopt;
    const size_t close = closing_quote(text, open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return TextSpan{open + 1, close};
}

std::optional<std::string_view> quoted_value(std::string_view text, std::string_view pattern) {
    const auto span = quoted_value_span(text, pattern);
    if (!span) return std::nullopt;
    return view_of(text, *span);
}

std::optional<TextSpan> bare_value_span(std::string_view text, std::string_view pattern) {
    const size_t key = text.find(pattern);
    if (key == std::string_view::npos) return std::nullopt;
    const size_t begin = key + pattern.size();
    const size_t end = value_end(text, begin);
    if (end == std::string_view::npos) return std::nullopt;
    return TextSpan{begin, end};
}

std::optional<std::string_view> bare_value(std::string_view text, std::string_view pattern) {
    const auto span = bare_value_span(text, pattern);
    if (!span) return std::nullopt;
    std::string_view v = view_of(text, *span);
    const size_t first = skip_blanks(v, 0);
    v.remove_prefix(first);
    while (!v.empty() &&
           (v.back() == ' ' || v.back() == '\t' || v.back() == '\r' || v.back() == '\n'))
        v.remove_suffix(1);
    return v;
}

double leading_double(std::string_view s) {
    size_t pos = skip_blanks(s, 0);
    if (pos < s.size() && s[pos] == '+') ++pos;
    double value = 0.0;
    const auto r = std::from_chars(s.data() + pos, s.data() + s.size(), value);
    return r.ec == std::errc() ? value : 0.0;
}

std::optional<int> leading_int(std::string_view s) {
    size_t pos = skip_blanks(s, 0);
    if (pos < s.size() && s[pos] == '+') ++pos;
    int value = 0;
    const auto r = std::from_chars(s.data() + pos, s.data() + s.size(), value);
    if (r.ec != std::errc()) return std::nullopt;
    return value;
}

size_t count_occurrences(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return 0;
    size_t n = 0;
    for (size_t pos = text.find(pattern); pos != std::string_view::npos;
         pos = text.find(pattern, pos + pattern.size()))
        ++n;
    return n;
}

std::string_view key_pattern(std::string_view text, std::string_view quoted_key) {
    if (quoted_key.empty()) return {};
    for (size_t at = text.find(quoted_key); at != std::string_view::npos;
         at = text.find(quoted_key, at + 1)) {
        const size_t colon = skip_blanks(text, at + quoted_key.size());
        if (colon < text.size() && text[colon] == ':') return text.substr(at, colon + 1 - at);
    }
    return {};
}

namespace {

// Four hex digits at `pos`, or -1.
long hex4(std::string_view s, size_t pos) {
    if (pos + 4 > s.size()) return -1;
    unsigned value = 0;
    const auto r = std::from_chars(s.data() + pos, s.data() + pos + 4, value, 16);
    return r.ec == std::errc() && r.ptr == s.data() + pos + 4 ? static_cast<long>(value) : -1;
}

void append_utf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The character of the \u escape at `pos` (just after the 'u') and how many bytes it used,
// taking a following low surrogate along with a high one.
size_t unicode_escape(std::string_view s, size_t pos, unsigned long& cp) {
    const long first = hex4(s, pos);
    if (first < 0) return 0;
    cp = static_cast<unsigned long>(first);
    if (cp >= 0xD800 && cp <= 0xDBFF && s.substr(pos + 4, 2) == "\\u") {
        const long second = hex4(s, pos + 6);
        if (second >= 0xDC00 && second <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<unsigned long>(second) - 0xDC00);
            return 10;
        }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    return 4;
}

} // namespace

std::string json_unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        const char e = s[i + 1];
        static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
        if (const size_t k = kFrom.find(e); k != std::string_view::npos) {
            out += kTo[k];
            ++i;
            continue;
        }
        unsigned long cp = 0;
        const size_t used = e == 'u' ? unicode_escape(s, i + 2, cp) : 0;
        if (used == 0) {
            out += s[i];
            continue;
        }
        append_utf8(out, cp);
        i += 1 + used;
    }
    return out;
}
