// The profile site's base URL from launcher.ini's "site" line.
//
// Contract (kept from the launcher's first releases, so existing launcher.ini files read the
// same): each line up to 512 bytes; the key is the text before the first '=' with trailing
// blanks, CR and LF removed (leading blanks are part of the key); the value is the text after
// it with trailing blanks, CR, LF and double quotes removed, then everything up to and including
// its first double quote removed, then leading blanks removed. An empty value is ignored; the
// last non-empty "site" wins. Trailing '/' characters are dropped from the result.
#pragma once
#include <string>
#include <string_view>

// Empty when the text has no usable "site" line.
std::string site_base_from_ini(std::string_view ini_text);
