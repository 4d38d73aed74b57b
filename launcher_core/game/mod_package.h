// What the race's mod package must leave in the game folder, and the player's warning when
// something is missing after the install.
#pragma once
#include <array>
#include <string>
#include <string_view>

// Relative to the game directory, in the order they are checked and listed.
inline constexpr std::array<std::string_view, 4> kRequiredModFiles = {
    "\\dwmapi.dll", "\\ue4ss\\UE4SS.dll", "\\ue4ss\\Mods\\KVRWeekly\\Scripts\\main.lua",
    "\\ue4ss\\Mods\\KVRWeekly\\enabled.txt"};

// The game path up to, not including, its last backslash or slash; the whole path when it has
// neither.
std::string game_directory_of(std::string_view game_path);

// The message box text: `missing_list` holds each missing relative path followed by a line feed.
std::string mod_install_warning_text(std::string_view missing_list, std::string_view game_dir);
