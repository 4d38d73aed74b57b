// The race run: every stage in order, from launcher.ini to the result card.
#include "launcher_core/base/app_state.h"
#include "launcher_core/base/config_file.h"
#include "launcher_core/base/console.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/message_box.h"
#include "launcher_core/base/state_files.h"
#include "launcher_core/game/game_launch.h"
#include "launcher_core/game/mod_install.h"
#include "launcher_core/livesplit/livesplit_steps.h"
#include "launcher_core/result/final_report.h"
#include "launcher_core/result/upload.h"
#include "launcher_core/run/modes.h"
#include "launcher_core/server/http_client.h"
#include "launcher_core/server/weekly_sync.h"
#include "launcher_core/steam/steam_detection.h"
#include "launcher_core/steam/steam_registry.h"

#include "common/race_names.h"
#include "common/win32/files.h"
#include "common/win32/process.h"
#include "common/win32/win_error.h"

namespace {

constexpr unsigned long kServerTimeBeforeGameMs = 20000;

const char kGameNotFoundText[] =
    "没有找到《Escape the Hollowmaze》的游戏文件。\n\n可能原因：\n· 游戏没安装\n"
    "· 装在非 Steam 默认目录，且 Steam 库里没有记录\n\n"
    "解决办法：用记事本打开同目录的 launcher.ini，\n把 game= 这一行改成你电脑上的\n"
    "Hollowmaze-Win64-Shipping.exe 完整路径。";

void expand_paths(LauncherConfig& cfg) {
    for (std::string* field : {&cfg.game, &cfg.receipt, &cfg.data, &cfg.livesplit,
                               &cfg.livesplit_lss, &cfg.install_from})
        *field = expand_placeholders(*field, app_dir());
}

void detect_steam_path(LauncherConfig& cfg) {
    if (kvr::path_exists(cfg.steam)) return;
    const std::string root = steam_root_from_registry();
    if (root.empty()) return;
    cfg.steam = root + "\\steam.exe";
    log_line("steam detected: %s", log_safe(cfg.steam).c_str());
}

void detect_game_path(LauncherConfig& cfg) {
    if (kvr::path_exists(cfg.game)) return;
    const std::string found = find_game_exe(steam_root_from_registry());
    if (found.empty()) {
        log_line("game not found in any steam library");
        return;
    }
    cfg.game = found;
    log_line("game detected: %s", log_safe(cfg.game).c_str());
}

int report_dry_run(const LauncherConfig& cfg) {
    log_line("DRYRUN steam=%s", log_safe(cfg.steam).c_str());
    log_line("DRYRUN game=%s", log_safe(cfg.game).c_str());
    log_line("DRYRUN receipt=%s", log_safe(cfg.receipt).c_str());
    log_line("DRYRUN data=%s", log_safe(cfg.data).c_str());
    log_line("DRYRUN livesplit=%s", log_safe(cfg.livesplit).c_str());
    log_line("DRYRUN install_from=%s", log_safe(cfg.install_from).c_str());
    const SteamAccount account = detect_steam_account();
    log_line("DRYRUN steam_id=%s persona=%s", log_safe(account.steam_id).c_str(),
             log_safe(account.persona).c_str());
    return 0;
}

int stop_game_not_found() {
    log_line("game not found, aborting");
    show_message_box(kGameNotFoundText, BoxIcon::error);
    return 1;
}

void take_player_name_from_steam(LauncherConfig& cfg) {
    const std::string persona = detect_steam_persona();
    if (persona.empty()) {
        log_line("steam persona not found, using ini player: %s", log_safe(cfg.player).c_str());
        return;
    }
    log_line("steam persona detected: %s", log_safe(persona).c_str());
    cfg.player = persona;
    cfg.player_from_steam = true;
}

// Every missing parent too: on a fresh PC the KVR-Race folder does not exist yet.
void create_data_directories(const LauncherConfig& cfg) {
    kvr::create_directories(cfg.data);
    kvr::create_directories(cfg.data + "\\receipts");
    // Every state file then fails silently on its own; one line says why they all do.
    if (!data_directory_writable(cfg))
        log_line("WARNING: data directory not writable: %s (%s)", log_safe(cfg.data).c_str(),
                 kvr::last_error_text().c_str());
}

// The overlay starts with both windows hidden, whatever the timer setting is.
void switch_overlay_off(const LauncherConfig& cfg) {
    log_line("timer overlay: %s", cfg.timer == "1" ? "1" : "0");
    write_board_toggle(cfg, "0");
    write_timer_enabled(cfg, "0");
}

// Evaluation and upload while the progress card watches upload.state.
UploadOutcome upload_with_progress_card(const LauncherConfig& cfg, const UploadRun& run) {
    write_upload_state(cfg, kvr::race::kUploading);
    const std::string card = app_dir() + kvr::race::kResultCardExe;
    kvr::StartedProcess progress;
    if (kvr::path_exists(card))
        kvr::start_process("\"" + card + "\" --mode progress --state \"" +
                               data_file(cfg, kvr::race::kUploadState) + "\"",
                           "", 0, progress);
    const UploadOutcome outcome = evaluate_and_upload(cfg, run);
    write_upload_state(cfg, outcome.result == UploadResult::accepted ? kvr::race::kDone
                                                                     : kvr::race::kFail);
    if (progress.process) {
        kvr::wait_process(progress, 4000);
        kvr::close_process(progress);
    }
    return outcome;
}

} // namespace

int run_race() {
    LauncherConfig cfg = load_config(app_dir() + "launcher.ini");
    if (cfg.receipt.empty() || cfg.data.empty()) {
        log_line("launcher.ini missing or incomplete (need receipt and data fields)");
        wait_for_enter();
        return 1;
    }
    expand_paths(cfg);
    detect_steam_path(cfg);
    detect_game_path(cfg);
    if (cfg.dryrun) return report_dry_run(cfg);
    if (!kvr::path_exists(cfg.game)) return stop_game_not_found();
    if (!cfg.install_from.empty() && !cfg.game.empty()) install_and_verify_mod(cfg);
    take_player_name_from_steam(cfg);
    create_data_directories(cfg);

    livesplit_early_start(cfg);
    log_line("difficulty chooser skipped (in-game difficulty is authoritative)");
    UploadRun run{UploadMode::race_run};
    run.livesplit_before = livesplit_start_and_probe(cfg);
    {
        // Whatever the server does (silence, an answer a byte at a time), the player waits for it
        // this long at most before the game; the upload after the game has its own bounds.
        const HttpBudget before_the_game(kServerTimeBeforeGameMs);
        sync_weekly_data(cfg);
        switch_overlay_off(cfg);
        flush_pending_queue(cfg, cfg.livesplit.empty() ? std::nullopt
                                                       : std::optional(run.livesplit_before));
    }

    run.result_at_launch = kvr::last_write_time(data_file(cfg, kvr::race::kResultFile));
    write_launch_state(cfg, kvr::race::kLaunching);
    log_line("stage: launching game");
    const int launch_result = launch_game_and_wait(cfg);
    log_line("stage: game closed (launch result=%d), archiving receipt", launch_result);
    run.receipt_archived = archive_receipt(cfg);

    write_launch_state(cfg, kvr::race::kUploading);
    log_line("stage: uploading");
    report_outcome(cfg, upload_with_progress_card(cfg, run));

    write_launch_state(cfg, kvr::race::kDone);
    log_line("=== KVR launcher done ===");
    log_close();
    wait_for_enter();
    return 0;
}
