// The player's profile page on the race site, opened in the browser once per data directory
// (the flag file "profile_opened.flag" remembers it).
#pragma once
#include "launcher_core/config.h"

#include <string>

bool profile_page_was_opened(const LauncherConfig& cfg);
// Opens the page for the token with the shell and sets the flag.
void open_profile_page(const LauncherConfig& cfg, const std::string& token);
