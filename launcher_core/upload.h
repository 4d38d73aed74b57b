// Judging the finished run and submitting it to the race server.
//
// A race run hands the run to the pending queue before sending it: once the queue entry is
// safely written, the receipt and kvrw_result.json it was judged from are removed (the archive
// still holds the receipt). Wherever the launcher is ended, the run then lives in exactly one
// place: in the receipt until it is queued, in the queue until the server has given its verdict.
// An accepted run's entry is removed, a refused one goes to "pending\refused"; without a verdict
// it stays for the next start. When the entry cannot be written, the receipt stays instead.
// "--upload" never queues: the receipt is kept for the next try unless the server accepted it.
#pragma once
#include "launcher_core/config.h"
#include "launcher_core/livesplit_text.h"
#include "launcher_core/upload_outcome.h"

enum class UploadMode { race_run, upload_only };

// What the upload knows of the run it belongs to.
struct UploadRun {
    UploadMode mode = UploadMode::race_run;
    // Race run: when its game launch began (file time, see kvr::file_time_now). A
    // kvrw_result.json last written before it is a leftover of an earlier run and is not judged;
    // 0 takes it at any age, as "--upload" does.
    unsigned long long launch_began = 0;
    // The pending queue held runs just now: a missing receipt is then no news for the server.
    bool queue_held_runs = false;
    // Race run: what LiveSplit showed before the game (an end it showed then is not this run's).
    LiveSplitReading livesplit_before;
};

// True only when the server accepted the run. The outcome tells the rest (why not, the answer).
bool evaluate_and_upload(const LauncherConfig& cfg, const UploadRun& run);
const UploadOutcome& upload_outcome();
