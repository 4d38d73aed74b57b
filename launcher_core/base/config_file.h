// launcher.ini read from disk, and the placeholders that depend on this PC (config.h holds the
// file's rules).
#pragma once
#include "launcher_core/base/config.h"

#include <string>
#include <string_view>

// Reads the file (empty record when it cannot be opened). Notepad may have saved it in the ANSI
// code page: a value that is valid UTF-8 is taken as it is, any other is converted from the ANSI
// code page.
LauncherConfig load_config(const std::string& path);
// Expands with the running program's LOCALAPPDATA.
std::string expand_placeholders(std::string_view text, std::string_view app_dir);
