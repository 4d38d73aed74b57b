// Judging a finished run and sending it to the race server, in each mode of the launcher core;
// the road a run takes is run_queue.h's, wired to this PC by run_io.h.
#pragma once
#include "launcher_core/config.h"
#include "launcher_core/run_queue.h"
#include "launcher_core/upload_outcome.h"

enum class UploadMode { race_run, upload_only };

// What the upload knows of the run it belongs to.
struct UploadRun {
    UploadMode mode = UploadMode::race_run;
    // Race run: when its game launch began (file time, see kvr::file_time_now). A
    // kvrw_result.json last written before it is a leftover of an earlier run and is not judged
    // as this one; 0 takes it at any age, as "--upload" does.
    unsigned long long launch_began = 0;
    // Race run: the archive stage kept a copy of the receipt already.
    bool receipt_archived = false;
    // Race run: what LiveSplit showed before the game (an end it showed then is not this run's).
    LiveSplitReading livesplit_before;
};

// The race run's archive stage (see run_queue.h).
bool archive_receipt(const LauncherConfig& cfg);

// Race run, before the game: a run an earlier start left behind is queued, then the queue is
// sent. Nothing without a server.
QueueFlush flush_pending_queue(const LauncherConfig& cfg);

// The run judged, queued and sent: after the game, or the whole queue with it for "--upload"
// (`queue` then tells how the queue fared).
UploadOutcome evaluate_and_upload(const LauncherConfig& cfg, const UploadRun& run,
                                  QueueFlush* queue = nullptr);
