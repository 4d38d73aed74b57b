#include "launcher_core/livesplit.h"

// LiveSplit is not driven yet.
std::string livesplit_query(const std::string&) { return {}; }
bool livesplit_read_run_time(double&) { return false; }
void fix_livesplit_layout(const std::string&) {}
void livesplit_early_start(LauncherConfig&) {}
void livesplit_start_and_probe(LauncherConfig&) {}
