// Runs that could not be uploaded wait in the data directory's pending folder.
#pragma once
#include "launcher_core/config.h"

// Sends every queued run again (race-run start).
void flush_pending_queue(const LauncherConfig& cfg);
