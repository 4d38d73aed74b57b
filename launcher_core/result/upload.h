// Judging a finished run and sending it to the race server, in each mode of the launcher core;
// the road a run takes is run_queue.h's, wired to this PC by run_io.h.
#pragma once
#include "launcher_core/base/config.h"
#include "launcher_core/result/run_queue.h"
#include "launcher_core/result/upload_outcome.h"

enum class UploadMode { race_run, upload_only };

// What the upload knows of the run it belongs to.
struct UploadRun {
    UploadMode mode = UploadMode::race_run;
    // Race run: kvrw_result.json's write time when the game was launched, 0 when there was none
    // (see RunContext::result_at_launch).
    unsigned long long result_at_launch = 0;
    // Race run: the archive stage kept a copy of the receipt already.
    bool receipt_archived = false;
    // Race run: what LiveSplit showed before the game (an end it showed then is not this run's).
    LiveSplitReading livesplit_before;
};

// The race run's archive stage (see run_queue.h).
bool archive_receipt(const LauncherConfig& cfg);

// Race run, before the game: a run an earlier start left behind is queued (judged with what
// LiveSplit shows now: `livesplit`, the probe's reading, or asked anew), then the queue is sent;
// the player is warned when that run could not be queued. Nothing without a server.
QueueFlush flush_pending_queue(const LauncherConfig& cfg,
                               const std::optional<LiveSplitReading>& livesplit);

// The run judged, queued and sent: after the game, or the whole queue with it for "--upload"
// (`queue` then tells how the queue fared).
UploadOutcome evaluate_and_upload(const LauncherConfig& cfg, const UploadRun& run,
                                  QueueFlush* queue = nullptr);
