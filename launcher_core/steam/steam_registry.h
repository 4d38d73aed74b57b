// The Steam root as the Steam client records it in the current user's registry.
#pragma once
#include <string>

// HKCU\Software\Valve\Steam "SteamPath" with backslashes only and no trailing separator; empty
// when there is none.
std::string steam_root_from_registry();
