// UTF-8 inside, UTF-16 at every Windows call.
#pragma once
#include <string>
#include <string_view>

namespace kvr {

std::wstring utf8_to_wide(std::string_view s);
std::string wide_to_utf8(std::wstring_view s);

// Bytes from outside: kept when valid UTF-8, otherwise converted from the ANSI code page.
std::string external_to_utf8(std::string_view s);

// Reads an environment variable as UTF-8; empty when unset.
std::string env_utf8(const wchar_t* name);

} // namespace kvr
