// The run's road (run_queue.h) on this PC: the data directory's files, the race server over
// WinHTTP with CNG's SHA-256, the player's login and launcher.log.
#pragma once
#include "launcher_core/base/config.h"
#include "launcher_core/result/run_queue.h"

RunPlaces run_places(const LauncherConfig& cfg);
RunIo run_io(const LauncherConfig& cfg);
