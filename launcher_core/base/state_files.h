// The small files in the data directory that other programs watch. Each is replaced whole in
// binary mode with no line end; a file that cannot be written is skipped silently.
#pragma once
#include "launcher_core/base/config.h"

#include <string>
#include <string_view>

// The data directory followed by a backslash and the name.
std::string data_file(const LauncherConfig& cfg, std::string_view name);

void write_state_file(const LauncherConfig& cfg, std::string_view name, std::string_view word);
// "launching", "playing", "uploading" or "done".
void write_launch_state(const LauncherConfig& cfg, std::string_view word);
// "uploading", then "done" or "fail".
void write_upload_state(const LauncherConfig& cfg, std::string_view word);
void write_timer_enabled(const LauncherConfig& cfg, std::string_view flag);
void write_board_toggle(const LauncherConfig& cfg, std::string_view flag);

// Whether a file can be created in the data directory (tried with a scratch file).
bool data_directory_writable(const LauncherConfig& cfg);
