// Numbers inside the overlay's text files, converted as the C library's plain conversions do:
// leading blanks skipped, conversion stops at the first character that does not fit, and a
// field that holds no number is 0. The field need not be NUL-terminated.
#pragma once
#include <string_view>

double parse_seconds(std::string_view field);
// Clamped to the int range, so an overlong number cannot overflow.
int parse_int(std::string_view field);
