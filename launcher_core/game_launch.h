// Starting the game (through Steam, else directly) and waiting for it to exit.
#pragma once
#include "launcher_core/config.h"

// 1 when the game process was seen and has exited, 0 otherwise.
int launch_game_and_wait(const LauncherConfig& cfg);
