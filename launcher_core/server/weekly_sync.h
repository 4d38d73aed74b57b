// Fetching this week's race data into the data directory: week.json and the seed taken from it
// (rand_seed.txt), the leaderboard and the board files the overlay and the in-game script read.
// A file that cannot be fetched keeps its cached copy.
#pragma once
#include "launcher_core/base/config.h"

void sync_weekly_data(const LauncherConfig& cfg);
