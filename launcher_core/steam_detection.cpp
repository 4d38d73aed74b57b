#include "launcher_core/steam_detection.h"

// Detection is not built yet: nothing is found, so configured paths are used as they stand.
std::string steam_root_from_registry() { return {}; }
std::vector<std::string> list_steam_libraries(const std::string&) { return {}; }
std::string find_game_exe(const std::string&) { return {}; }
SteamAccount detect_steam_account() { return {}; }
std::string detect_steam_persona() { return detect_steam_account().persona; }
