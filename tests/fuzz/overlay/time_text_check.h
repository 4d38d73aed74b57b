// The shape of every time the overlay draws: two or more minute digits, then ":ss.hh".
#pragma once
#include <string>

inline bool is_time_text(const std::string& t) {
    const size_t colon = t.find(':');
    if (colon == std::string::npos || colon < 2 || t.size() != colon + 6) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (i == colon || i == colon + 3) continue;
        if (t[i] < '0' || t[i] > '9') return false;
    }
    return t[colon + 3] == '.' && t[colon + 1] <= '5';
}
