// Whether a text the launcher sends or keeps is one whole JSON value (the receipt, a queued
// submit body, the week files).
//
// Contract: true when the text is one JSON value with nothing but blanks around it: every string
// closed and free of raw control bytes, every key followed by a colon and a value, every bracket
// closed in order, no comma before a closing bracket. Scalars are taken as any run of bytes outside
// strings that holds no blank or JSON punctuation, so spellings such as nan are left to the server
// to judge. This catches what a crash or a script fault leaves (a file cut off mid-field, a key
// without a value, trailing bytes) without parsing. Safe for any input; never recurses.
#pragma once
#include <string_view>

bool is_complete_json(std::string_view text);
