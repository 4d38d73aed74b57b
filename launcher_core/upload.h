// Judging the finished run and submitting it to the race server.
#pragma once
#include "launcher_core/config.h"
#include "launcher_core/upload_outcome.h"

// A race run queues a run the server did not get; "--upload" leaves the receipt in place for
// the next try instead.
enum class UploadMode { race_run, upload_only };

// True only when the server accepted the run. The outcome tells the rest (why not, the answer).
bool evaluate_and_upload(const LauncherConfig& cfg, UploadMode mode = UploadMode::race_run);
const UploadOutcome& upload_outcome();

// Removes the files the run was judged from (kvrw_result.json when it was the source, and the
// receipt), once the server or the pending queue holds the run.
void remove_judged_files(const LauncherConfig& cfg);
