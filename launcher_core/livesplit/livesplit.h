// LiveSplit: its layout setting, its start before the game, and its TCP server on
// 127.0.0.1:16834. Every query waits at most a few seconds for its reply, so a LiveSplit that
// accepts connections but never answers costs seconds, never the run.
#pragma once
#include "launcher_core/base/config.h"
#include "launcher_core/livesplit/livesplit_text.h"

#include <string>

// LiveSplit's reply to one command, trimmed; empty when unreachable or silent.
std::string livesplit_query(const std::string& command);
// The run time in seconds from LiveSplit; false when none could be read.
bool livesplit_read_run_time(double& seconds);
// The timer phase and the run time, read on one connection. The final time is asked for only
// when the phase is "Ended": before that, LiveSplit answers it with the personal best.
LiveSplitReading read_livesplit();
void fix_livesplit_layout(const std::string& livesplit_exe);

// Race-run steps: the early start (before the chooser line), then the start and the probe.
// The probe's reading (its phase, and the time of an attempt that has already ended) is what
// LiveSplit showed before the game; empty when it did not answer or is not configured.
void livesplit_early_start(LauncherConfig& cfg);
LiveSplitReading livesplit_start_and_probe(LauncherConfig& cfg);
