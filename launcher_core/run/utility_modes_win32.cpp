// The single-task modes: "--detect", "--profile" and "--upload".
#include "launcher_core/base/app_state.h"
#include "launcher_core/base/config_file.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/state_files.h"
#include "launcher_core/profile/profile_link.h"
#include "launcher_core/result/upload.h"
#include "launcher_core/run/modes.h"
#include "launcher_core/steam/steam_detection.h"

#include "common/race_names.h"
#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/process.h"

namespace {

// A small data-directory file, trailing line ends and blanks removed; empty when missing.
std::string read_data_word(const LauncherConfig& cfg, const char* name) {
    std::string text;
    kvr::read_file(data_file(cfg, name), text);
    return kvr::trim_right(text, "\r\n ");
}

} // namespace

int run_detect_mode() {
    // Anyone can name a Steam account: shown as text, never as line breaks or controls.
    const std::string persona = log_safe(detect_steam_persona());
    console_print("steam persona: %s\n", persona.empty() ? "(not found)" : persona.c_str());
    log_line("detected persona bytes: %s", persona.empty() ? "(none)" : persona.c_str());
    return 0;
}

int run_profile_mode() {
    LauncherConfig cfg = load_config(app_dir() + "launcher.ini");
    cfg.data = expand_placeholders(cfg.data, app_dir());
    const std::string token = read_data_word(cfg, "profile_token.txt");
    kvr::shell_open(profile_page_url(default_server_base(), token));
    console_print(token.empty() ? "opened profile (no login code yet)\n"
                                : "opened profile (logged in)\n");
    return 0;
}

int run_upload_mode() {
    LauncherConfig cfg = load_config(app_dir() + "launcher.ini");
    cfg.receipt = expand_placeholders(cfg.receipt, app_dir());
    cfg.data = expand_placeholders(cfg.data, app_dir());
    cfg.game = expand_placeholders(cfg.game, app_dir());

    const std::string choice = read_data_word(cfg, kvr::race::kChoice);
    if (kvr::race::is_difficulty(choice)) {
        cfg.difficulty = choice;
        log_line("upload difficulty from choice.txt: %s", choice.c_str());
    }
    log_line("=== upload-only mode ===");
    QueueFlush queue;
    const UploadOutcome outcome = evaluate_and_upload(cfg, {UploadMode::upload_only}, &queue);
    // Every run there was to send was accepted: the queue's, this run's among them. Finding only
    // runs that went to the queue before is no failure; finding nothing at all is.
    const UploadResult r = outcome.result;
    const bool run_ok = r == UploadResult::accepted || r == UploadResult::not_run ||
                        (r == UploadResult::no_receipt && queue.entries > 0);
    const bool ok = run_ok && queue.accepted == queue.entries;
    console_print(ok ? "\n上传成功\n" : "\n上传失败（详见 launcher.log）\n");
    log_line("upload-only result: %s", ok ? "ok" : "failed");
    return ok ? 0 : 2;
}
