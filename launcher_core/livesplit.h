// LiveSplit: its layout setting, its start before the game, and its TCP server.
#pragma once
#include "launcher_core/config.h"

#include <string>

// LiveSplit's reply to one command, trimmed; empty when unreachable or silent.
std::string livesplit_query(const std::string& command);
// The run time in seconds from LiveSplit; false when none could be read.
bool livesplit_read_run_time(double& seconds);
void fix_livesplit_layout(const std::string& livesplit_exe);

// Race-run steps: the early start (before the chooser line), then the start and the probe.
void livesplit_early_start(LauncherConfig& cfg);
void livesplit_start_and_probe(LauncherConfig& cfg);
