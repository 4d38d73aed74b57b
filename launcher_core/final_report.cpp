#include "launcher_core/final_report.h"

#include "launcher_core/app_state.h"
#include "launcher_core/final_card.h"
#include "launcher_core/log.h"
#include "launcher_core/pending_queue.h"
#include "launcher_core/profile_page.h"
#include "launcher_core/upload.h"

#include "common/win32/files.h"
#include "common/win32/process.h"

namespace {

// Once the queue holds the run, its receipt must not be judged and sent a second time by a
// later run that writes no receipt of its own. The upload already queued the body before it was
// sent; only when that failed is it written now. False when the queue could not take it.
bool queue_run(const LauncherConfig& cfg, const UploadOutcome& outcome) {
    if (!outcome.queued_path.empty() && kvr::path_exists(outcome.queued_path))
        log_line("pending saved: %s", outcome.queued_path.c_str());
    else if (save_pending(cfg, outcome.payload).empty())
        return false;
    remove_judged_files(cfg);
    return true;
}

void print_success(const UploadOutcome& outcome) {
    console_print("成绩已上传成功！\n\n");
    if (const auto t = run_time_text(outcome.total)) console_print("用时：%s\n\n", t->c_str());
    console_print("现在可以关掉启动器了。");
}

void start_final_card(const FinalCard& card) {
    kvr::StartedProcess started;
    const std::string cmd = final_card_command_line(app_dir() + "kvr_result.exe", card);
    if (kvr::start_process(cmd, "", 0, started)) {
        log_line("result card: kind=%s ok=%d", card.kind.c_str(), card.ok ? 1 : 0);
        kvr::close_process(started);
    } else {
        log_line("result card CreateProcess failed (err %lu)", started.error);
    }
}

void open_profile_fallback(const LauncherConfig& cfg, const UploadOutcome& outcome) {
    const std::string& token =
        outcome.profile_token.empty() ? profile_token() : outcome.profile_token;
    if (token.empty() || profile_page_was_opened(cfg)) return;
    open_profile_page(cfg, token);
    log_line("opened profile page (fallback path)");
}

} // namespace

void report_outcome(const LauncherConfig& cfg, bool uploaded) {
    const UploadOutcome& outcome = upload_outcome();
    const FinalReportPlan plan = plan_final_report(outcome);
    log_line("%s", plan.stage_line.c_str());
    FinalCard card = plan.card;
    if (plan.queue && !queue_run(cfg, outcome)) {
        // The card must not promise a retry that cannot happen; the receipt stays where it is.
        log_line("run not queued: the receipt is left in place for \"--upload\"");
        card.message = kNotQueuedMessage;
    }
    if (uploaded) print_success(outcome);
    start_final_card(card);
    open_profile_fallback(cfg, outcome);
}
