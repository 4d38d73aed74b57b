// A copy of every receipt is kept in the data directory's receipts folder as
// receipt_<date>_<time>.json, before the run is judged and uploaded.
#pragma once
#include "launcher_core/config.h"

void archive_receipt(const LauncherConfig& cfg);
