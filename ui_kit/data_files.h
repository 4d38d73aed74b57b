// The data directory and its files as the window programs see them. Narrow strings are UTF-8;
// every Windows call takes the wide form.
#pragma once
#include "common/win32/wide.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kvr::ui {

// File text is UTF-8; it is converted just before it is drawn.
using kvr::utf8_to_wide;

// The whole file as raw bytes (at most `max_bytes` of it); a missing, unreadable or empty file
// gives an empty string.
std::string read_whole_file(const std::string& path, size_t max_bytes = SIZE_MAX);

// The race data directory (rule in data_dir_rule.h), resolved once per process and created,
// with every missing parent, on each call. Resolve it during start-up, before a second thread
// exists; afterwards it is only read.
std::string data_dir();
// data_dir() followed by a backslash and the name.
std::string data_path(std::string_view name);

// The same directory, wide, resolved afresh and never created (the start window only reads
// and writes a file in it; the launcher core creates it).
std::wstring data_dir_wide();

} // namespace kvr::ui
