// The player's profile page on the race site.
#pragma once
#include <string>
#include <string_view>

// The build's default race server base URL (a deployment setting).
std::string_view default_server_base();

// base + "/profile", plus "?token=" and the percent-encoded token when there is one.
std::string profile_page_url(std::string_view base, std::string_view token);
