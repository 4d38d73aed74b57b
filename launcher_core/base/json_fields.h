// Fields of the small JSON texts the launcher reads: the receipt, kvrw_result.json, week.json
// and the race server's answers. They are found by plain text search, not parsed: the receipt
// is uploaded as the game wrote it, edited only by splicing values in place.
//
// Contract: a key is matched only in the exact spelling of the pattern passed (quoted key and
// colon, no blank between them). A quoted value may follow the colon after blanks; it runs to
// the next double quote that no backslash escapes and is not unescaped. A bare value runs to the
// first ',' or '}' after it, a string, object or array value being skipped whole, so splicing a
// new value over it keeps a valid JSON text valid. All positions are byte offsets into the text;
// every function is safe for any input.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct TextSpan {
    size_t begin = 0; // first byte of the value
    size_t end = 0;   // one past its last byte
};

// The value in double quotes right after the first `pattern` (blanks allowed before the
// opening quote). Nothing when the pattern is missing, the value is not quoted or not closed.
std::optional<TextSpan> quoted_value_span(std::string_view text, std::string_view pattern);
std::optional<std::string_view> quoted_value(std::string_view text, std::string_view pattern);

// The text after the first `pattern` up to the value's end (the span is untrimmed; the value is
// trimmed of blanks). Nothing when the pattern is missing or the value never ends.
std::optional<TextSpan> bare_value_span(std::string_view text, std::string_view pattern);
std::optional<std::string_view> bare_value(std::string_view text, std::string_view pattern);

// The decimal number at the start of `s` after blanks, as strtod reads it; 0.0 when none.
double leading_double(std::string_view s);
// The integer at the start of `s` after blanks (optional sign); nothing when there is none
// or it does not fit in 32 bits.
std::optional<int> leading_int(std::string_view s);

size_t count_occurrences(std::string_view text, std::string_view pattern);

// The first `quoted_key` followed by a colon with only blanks between them, as it is spelt there
// (from the key's opening quote to the colon), so it can serve as the pattern above; empty when
// the text has no such key. A JSON reader takes the key in every such spelling.
std::string_view key_pattern(std::string_view text, std::string_view quoted_key);

// A JSON string's text (what lies between its quotes) with its escapes undone: \" \\ \/ \b \f
// \n \r \t and \uXXXX, UTF-8 out (a surrogate pair gives one character, a lone surrogate
// U+FFFD). An escape that is not one of these is kept as it stands.
std::string json_unescape(std::string_view s);
