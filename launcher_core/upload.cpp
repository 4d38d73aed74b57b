#include "launcher_core/upload.h"

#include "launcher_core/livesplit.h"
#include "launcher_core/run_io.h"
#include "launcher_core/steam_detection.h"

#include "common/text.h"

namespace {

bool server_configured(const LauncherConfig& cfg) {
    return !kvr::strip_trailing_slashes(cfg.server).empty();
}

// LiveSplit first, as the run's log tells it; the Steam id only when there is a server to get it.
RunContext context_of(const LauncherConfig& cfg, const UploadRun& run) {
    RunContext ctx;
    ctx.livesplit = read_livesplit();
    ctx.server_configured = server_configured(cfg);
    // Both the persona and launcher.ini's name arrive as UTF-8 (decoded where they were read).
    ctx.player = cfg.player;
    if (ctx.server_configured) ctx.player_id = detect_steam_account().steam_id;
    ctx.difficulty = cfg.difficulty;
    ctx.livesplit_before = run.livesplit_before;
    ctx.launch_began = run.launch_began;
    ctx.receipt_archived = run.receipt_archived;
    return ctx;
}

} // namespace

bool archive_receipt(const LauncherConfig& cfg) {
    return archive_receipt(run_places(cfg), run_io(cfg));
}

QueueFlush flush_pending_queue(const LauncherConfig& cfg) {
    if (!server_configured(cfg)) return {};
    RunContext ctx;
    ctx.server_configured = true;
    ctx.player = cfg.player;
    ctx.player_id = detect_steam_account().steam_id;
    ctx.difficulty = cfg.difficulty;
    return send_queue_before_game(run_places(cfg), run_io(cfg), ctx);
}

UploadOutcome evaluate_and_upload(const LauncherConfig& cfg, const UploadRun& run,
                                  QueueFlush* queue) {
    const RunContext ctx = context_of(cfg, run);
    if (run.mode == UploadMode::race_run)
        return upload_after_game(run_places(cfg), run_io(cfg), ctx);
    QueueFlush flush;
    UploadOutcome outcome = upload_only(run_places(cfg), run_io(cfg), ctx, flush);
    if (queue) *queue = flush;
    return outcome;
}
