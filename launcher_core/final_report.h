// Telling the player how the run went: log lines, console text, the final card.
#pragma once
#include "launcher_core/config.h"

void report_outcome(const LauncherConfig& cfg, bool uploaded);
