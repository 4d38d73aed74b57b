// A copy of every receipt is kept in the data directory's receipts folder.
#pragma once
#include "launcher_core/config.h"

void archive_receipt(const LauncherConfig& cfg);
