#include "common/text.h"

namespace kvr {

std::string trim(std::string_view s, std::string_view chars) {
    const auto first = s.find_first_not_of(chars);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(chars);
    return std::string(s.substr(first, last - first + 1));
}

std::string trim_right(std::string_view s, std::string_view chars) {
    const auto last = s.find_last_not_of(chars);
    if (last == std::string_view::npos) return {};
    return std::string(s.substr(0, last + 1));
}

std::string replace_all(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    for (;;) {
        const size_t hit = s.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

std::string strip_trailing_slashes(std::string_view s) {
    while (!s.empty() && s.back() == '/')
        s.remove_suffix(1);
    return std::string(s);
}

bool contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t hit = s.find(sep, start);
        if (hit == std::string_view::npos) break;
        fields.push_back(s.substr(start, hit - start));
        start = hit + 1;
    }
    fields.push_back(s.substr(start));
    return fields;
}

std::string quoted_argument(std::string_view value, size_t max_bytes) {
    std::string v;
    for (const char c : value.substr(0, max_bytes))
        if (c != '"') v += c;
    size_t trailing = 0;
    while (trailing < v.size() && v[v.size() - 1 - trailing] == '\\')
        ++trailing;
    v.append(trailing, '\\');
    return "\"" + v + "\"";
}

} // namespace kvr
