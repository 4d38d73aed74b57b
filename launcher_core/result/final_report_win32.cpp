#include "launcher_core/result/final_report.h"

#include "launcher_core/base/app_state.h"
#include "launcher_core/base/log.h"
#include "launcher_core/profile/profile_page.h"
#include "launcher_core/result/final_card.h"

#include "common/race_names.h"
#include "common/win32/process.h"

namespace {

void print_success(const UploadOutcome& outcome) {
    console_print("成绩已上传成功！\n\n");
    if (const auto t = run_time_text(outcome.total)) console_print("用时：%s\n\n", t->c_str());
    console_print("现在可以关掉启动器了。");
}

void start_final_card(const FinalCard& card) {
    kvr::StartedProcess started;
    const std::string cmd = final_card_command_line(app_dir() + kvr::race::kResultCardExe, card);
    if (kvr::start_process(cmd, "", 0, started)) {
        log_line("result card: kind=%s ok=%d", card.kind.c_str(), card.ok ? 1 : 0);
        kvr::close_process(started);
    } else {
        log_line("result card CreateProcess failed (err %lu)", started.error);
    }
}

// The login of this run's answer, else the one preloaded at start-up.
void open_profile_fallback(const LauncherConfig& cfg) {
    const std::string& token = profile_token();
    if (token.empty() || profile_page_was_opened(cfg)) return;
    open_profile_page(cfg, token);
    log_line("opened profile page (fallback path)");
}

} // namespace

void report_outcome(const LauncherConfig& cfg, const UploadOutcome& outcome) {
    const FinalReportPlan plan = plan_final_report(outcome);
    log_line("%s", plan.stage_line.c_str());
    if (!plan.pending_line.empty()) log_line("%s", plan.pending_line.c_str());
    if (outcome.result == UploadResult::accepted) print_success(outcome);
    start_final_card(plan.card);
    open_profile_fallback(cfg);
}
