#include "launcher_core/final_report.h"

// The final report is not built yet.
void report_outcome(const LauncherConfig&, bool) {}
