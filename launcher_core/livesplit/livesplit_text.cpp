#include "launcher_core/livesplit/livesplit_text.h"

#include "common/text.h"

#include <charconv>
#include <vector>

namespace {

bool whole_int(std::string_view s, int& out) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool whole_double(std::string_view s, double& out) {
    if (s.empty() || s.front() == '+') return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::fixed);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::string xml_escape(std::string_view s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::optional<double> parse_livesplit_time(std::string_view reply) {
    const std::string t = kvr::trim(reply);
    // A '-' anywhere is "no time" or a negative (countdown) time.
    if (t.empty() || t.find('-') != std::string::npos) return std::nullopt;
    std::vector<std::string_view> parts;
    std::string_view rest = t;
    for (size_t colon; (colon = rest.find(':')) != std::string_view::npos;) {
        parts.push_back(rest.substr(0, colon));
        rest.remove_prefix(colon + 1);
    }
    parts.push_back(rest);

    int days = 0, hours = 0, minutes = 0;
    double seconds = 0.0;
    if (parts.size() == 3) {
        std::string_view h = parts[0];
        if (const size_t dot = h.find('.'); dot != std::string_view::npos) {
            if (!whole_int(h.substr(0, dot), days)) return std::nullopt;
            h.remove_prefix(dot + 1);
        }
        if (!whole_int(h, hours) || !whole_int(parts[1], minutes)) return std::nullopt;
    } else if (parts.size() == 2) {
        if (!whole_int(parts[0], minutes)) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!whole_double(parts.back(), seconds)) return std::nullopt;
    const double value = days * 86400.0 + hours * 3600.0 + minutes * 60.0 + seconds;
    if (!(value > 0.0)) return std::nullopt;
    return value;
}

std::string livesplit_command_line(std::string_view exe, std::string_view splits,
                                   std::string_view layout) {
    std::string cmd = kvr::quoted_argument(exe) + " -s " + kvr::quoted_argument(splits);
    if (!layout.empty()) cmd += " -l " + kvr::quoted_argument(layout);
    return cmd;
}

std::optional<int> parse_split_index(std::string_view reply) {
    int index = 0;
    if (!whole_int(kvr::trim(reply), index)) return std::nullopt;
    return index;
}

int count_lss_segments(std::string_view lss) {
    int count = 0;
    // "<Segment>" or "<Segment " with attributes; "<Segments>" is the list around them.
    constexpr size_t npos = std::string_view::npos;
    for (size_t at = lss.find("<Segment"); at != npos; at = lss.find("<Segment", at + 1)) {
        const size_t next = at + 8;
        if (next < lss.size() && std::string_view(">/ \t\r\n").find(lss[next]) != npos) ++count;
    }
    return count;
}

std::string livesplit_reply_line(std::string_view received) {
    return kvr::trim(received.substr(0, received.find('\n')));
}

LayoutFix point_layout_at(std::string_view settings, std::string_view layout_path) {
    static constexpr std::string_view kOpen = "<LayoutPath>", kClose = "</LayoutPath>";
    const std::string wanted = xml_escape(layout_path);
    LayoutFix fix;
    fix.text.reserve(settings.size() + wanted.size());
    size_t pos = 0;
    for (;;) {
        const size_t open = settings.find(kOpen, pos);
        if (open == std::string_view::npos) break;
        const size_t value = open + kOpen.size();
        // The value is text, so it ends at the next '<'. An element whose value is not closed
        // right there is damaged: it is left as it is, and so is everything after it up to the
        // next element, instead of being swallowed into one value.
        const size_t close = settings.find('<', value);
        if (close == std::string_view::npos) break;
        fix.text.append(settings.substr(pos, value - pos));
        pos = value;
        if (settings.substr(close, kClose.size()) != kClose) continue;
        if (settings.substr(value, close - value) != wanted) fix.changed = true;
        fix.text.append(wanted);
        pos = close;
    }
    fix.text.append(settings.substr(pos));
    return fix;
}
