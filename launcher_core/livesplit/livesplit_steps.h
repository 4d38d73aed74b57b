// LiveSplit's part of a race run: the race layout in its settings, its start on the race splits
// before the game, and the probe of its TCP server (livesplit_client.h).
#pragma once
#include "launcher_core/base/config.h"
#include "launcher_core/livesplit/livesplit_text.h"

#include <optional>
#include <string>

void fix_livesplit_layout(const std::string& livesplit_exe);

// Race-run steps: the early start (before the chooser line), then the start and the probe.
// The probe's reading (its phase, and the time of an attempt that has already ended) is what
// LiveSplit showed before the game; empty when it did not answer or is not configured.
void livesplit_early_start(LauncherConfig& cfg);
LiveSplitReading livesplit_start_and_probe(LauncherConfig& cfg);

// The number of segments of the race splits (launcher.ini's livesplit_lss); nothing when it
// cannot be read or has none.
std::optional<int> race_splits_segments(const LauncherConfig& cfg);
