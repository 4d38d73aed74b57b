#include "overlay/field_numbers.h"

#include <climits>
#include <cstdlib>
#include <string>

double parse_seconds(std::string_view field) {
    const std::string s(field);
    return std::strtod(s.c_str(), nullptr);
}

int parse_int(std::string_view field) {
    const std::string s(field);
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}
