#include "launcher_core/upload.h"

namespace {
UploadOutcome g_outcome;
}

// Evaluation and upload are not built yet: nothing is uploaded.
bool evaluate_and_upload(const LauncherConfig&) { return false; }
const UploadOutcome& upload_outcome() { return g_outcome; }
