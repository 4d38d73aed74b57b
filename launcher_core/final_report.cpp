#include "launcher_core/final_report.h"

#include "launcher_core/app_state.h"
#include "launcher_core/final_card.h"
#include "launcher_core/log.h"
#include "launcher_core/profile_page.h"
#include "launcher_core/upload.h"

#include "common/win32/process.h"

namespace {

// The upload put the run into the queue before sending it; false when it could not.
bool run_is_queued(const UploadOutcome& outcome) {
    if (outcome.queued_path.empty()) return false;
    log_line("pending saved: %s", outcome.queued_path.c_str());
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
    // The card must not promise a retry that cannot happen; the upload's failure line has said
    // where the run is instead.
    if (plan.queue && !run_is_queued(outcome)) card.message = kNotQueuedMessage;
    if (uploaded) print_success(outcome);
    start_final_card(card);
    open_profile_fallback(cfg, outcome);
}
