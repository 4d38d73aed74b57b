// The player's login on the race site: the profile token the server hands out with an accepted
// run, saved as "profile_token.txt" in the data directory, and the profile page, opened in the
// browser once per data directory ("profile_opened.flag" remembers it) and never twice in one
// run, even when the flag cannot be written.
#pragma once
#include "launcher_core/base/config.h"

#include <string>

bool profile_page_was_opened(const LauncherConfig& cfg);
// Opens the page for the token with the shell and sets the flag.
void open_profile_page(const LauncherConfig& cfg, const std::string& token);

// Whether the data directory holds a saved, non-empty token.
bool profile_token_saved(const LauncherConfig& cfg);
// Takes a token from the server: kept for this run, saved (written whole, then renamed: it is the
// player's only login), and the page opened if it never was.
void keep_profile_token(const LauncherConfig& cfg, const std::string& token);
