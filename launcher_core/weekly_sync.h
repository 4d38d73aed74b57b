// Fetching this week's race data: week, seed and the board files.
#pragma once
#include "launcher_core/config.h"

void sync_weekly_data(const LauncherConfig& cfg);
