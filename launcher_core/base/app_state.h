// Process-wide state set up once at start-up and read by every stage.
#pragma once
#include <string>

// The running program's directory, ending with a backslash.
const std::string& app_dir();
// The profile token preloaded at start-up (at most 255 bytes), or empty.
const std::string& profile_token();
void set_profile_token(const std::string& token);

// Start-up common to every mode: application directory, log, banner, token preload.
void start_up();
