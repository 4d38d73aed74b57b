// Where the window programs find the race data directory. The launcher core writes the same
// place from launcher.ini; a player package configures both alike.
#pragma once
#include <string>
#include <string_view>

namespace kvr::ui {

// LOCALAPPDATA followed by "\KVR-Race\data"; when the variable is unset (empty), the fixed
// fallback "C:\KVR-race\data". Narrow strings are UTF-8.
std::string data_dir_from(std::string_view local_app_data);
std::wstring data_dir_from(std::wstring_view local_app_data);

// The directory followed by one backslash and the file name.
std::string path_in(std::string_view dir, std::string_view name);
std::wstring path_in(std::wstring_view dir, std::wstring_view name);

} // namespace kvr::ui
