// Making outside text safe inside JSON bodies and URLs.
#pragma once
#include <string>
#include <string_view>

namespace kvr {

// The body of a JSON string (without the surrounding quotes): quote, backslash and control
// characters escaped; every other byte, UTF-8 included, passes unchanged.
std::string json_escape(std::string_view s);

// Percent-encodes every byte outside the unreserved set A-Z a-z 0-9 - . _ ~ (upper-case hex).
std::string percent_encode(std::string_view s);

} // namespace kvr
