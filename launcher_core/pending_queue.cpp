#include "launcher_core/pending_queue.h"

// The pending queue is not built yet.
void flush_pending_queue(const LauncherConfig&) {}
