#include "launcher_core/weekly_sync.h"

// The weekly sync is not built yet: cached files are used as they are.
void sync_weekly_data(const LauncherConfig&) {}
