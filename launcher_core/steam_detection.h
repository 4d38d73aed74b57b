// Finding Steam, the game and the signed-in Steam account. Read-only; every failure gives an
// empty result and nothing is logged here.
#pragma once
#include <string>
#include <vector>

struct SteamAccount {
    std::string steam_id;
    std::string persona;
};

std::string steam_root_from_registry();
std::vector<std::string> list_steam_libraries(const std::string& steam_root);
std::string find_game_exe(const std::string& steam_root);
SteamAccount detect_steam_account();
std::string detect_steam_persona();
