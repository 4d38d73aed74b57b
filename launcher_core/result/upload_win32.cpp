#include "launcher_core/result/upload.h"

#include "launcher_core/base/log.h"
#include "launcher_core/base/message_box.h"
#include "launcher_core/livesplit/livesplit_client.h"
#include "launcher_core/livesplit/livesplit_steps.h"
#include "launcher_core/result/run_io.h"
#include "launcher_core/steam/steam_detection.h"

#include "launcher_core/base/state_files.h"

#include "common/race_names.h"
#include "common/text.h"
#include "common/win32/files.h"

namespace {

const std::string kRunAtRiskText =
    "上一局的成绩还没能存进待上传队列，这一局的游戏会把它覆盖掉。\n\n"
    "请先关闭占用这些文件的程序（杀毒软件、同步盘等），并确认数据目录可以写入，"
    "然后重新双击启动器；点「确定」则直接进入游戏（上一局的成绩可能丢失）。\n\n文件：\n";

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
    ctx.race_segments = race_splits_segments(cfg);
    ctx.result_at_launch = run.result_at_launch;
    ctx.receipt_archived = run.receipt_archived;
    return ctx;
}

} // namespace

bool archive_receipt(const LauncherConfig& cfg) {
    return archive_receipt(run_places(cfg), run_io(cfg));
}

QueueFlush flush_pending_queue(const LauncherConfig& cfg,
                               const std::optional<LiveSplitReading>& livesplit) {
    if (!server_configured(cfg)) return {};
    RunContext ctx;
    ctx.server_configured = true;
    // A run left behind is judged with what LiveSplit shows now, as "--upload" would judge it:
    // the probe's reading, else LiveSplit is asked (only when there is such a run).
    if (livesplit)
        ctx.livesplit = *livesplit;
    else if (kvr::path_exists(cfg.receipt) ||
             kvr::path_exists(data_file(cfg, kvr::race::kResultFile)))
        ctx.livesplit = read_livesplit();
    ctx.player = cfg.player;
    ctx.player_id = detect_steam_account().steam_id;
    ctx.difficulty = cfg.difficulty;
    const QueueFlush flush = send_queue_before_game(run_places(cfg), run_io(cfg), ctx);
    if (!flush.at_risk.empty()) {
        log_line("WARNING: a run an earlier start left behind could not be queued, and the game "
                 "will write over it: %s",
                 flush.at_risk.c_str());
        show_message_box(kRunAtRiskText + flush.at_risk, BoxIcon::error);
    }
    return flush;
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
