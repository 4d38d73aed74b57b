// Finding Steam, the game and the signed-in Steam account on this PC. Read-only; every failure
// gives an empty result and nothing is logged here (the race run logs what it decides).
#pragma once
#include "launcher_core/steam/steam_files.h"

#include <string>
#include <vector>

// The root first, then the other libraries of its libraryfolders.vdf.
std::vector<std::string> list_steam_libraries(const std::string& steam_root);
// The game executable in the first library that holds it, or empty.
std::string find_game_exe(const std::string& steam_root);
// From loginusers.vdf below the registry root (the default root when the registry has none).
SteamAccount detect_steam_account();
std::string detect_steam_persona();
