// Telling the player how the run went: the stage line, where a run the server did not get waits,
// the console text, the final result card and the profile page.
#pragma once
#include "launcher_core/base/config.h"
#include "launcher_core/result/upload_outcome.h"

void report_outcome(const LauncherConfig& cfg, const UploadOutcome& outcome);
