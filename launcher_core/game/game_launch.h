// Starting the game (through Steam, else directly) and waiting for it to exit.
#pragma once
#include "launcher_core/base/config.h"

inline constexpr char kDefaultSteamExe[] = "C:\\Program Files (x86)\\Steam\\steam.exe";
inline constexpr char kDefaultAppId[] = "4127730";

// Poll counts and interval of the two waits for the game process: about 30 s after the Steam
// start, then up to 120 s more in case the player starts the game by hand. Tests pass a short
// interval to walk the same path without the real wait.
struct LaunchWaits {
    int polls_after_steam = 60;
    int polls_before_giving_up = 240;
    unsigned long poll_interval_ms = 500;
};

// 1 when the game process was seen and has exited, 0 otherwise. Writes "playing" to
// launch.state once the game process is found; blocks until it exits.
int launch_game_and_wait(const LauncherConfig& cfg, const LaunchWaits& waits = {});
