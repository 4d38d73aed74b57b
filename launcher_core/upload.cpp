#include "launcher_core/upload.h"

#include "launcher_core/format_text.h"
#include "launcher_core/http_client.h"
#include "launcher_core/livesplit.h"
#include "launcher_core/log.h"
#include "launcher_core/pending_queue.h"
#include "launcher_core/profile_page.h"
#include "launcher_core/receipt_judge.h"
#include "launcher_core/server_reply.h"
#include "launcher_core/state_files.h"
#include "launcher_core/steam_detection.h"
#include "launcher_core/submit_request.h"

#include "common/text.h"
#include "common/win32/files.h"

#include <windows.h>

namespace {

UploadOutcome g_outcome;

// kvrw_result.json, read as soon as whoever holds it (a virus scanner looking at the fresh
// file, the game's last flush) lets go; false when it is missing or stays locked.
bool read_kvrw_result(const std::string& path, std::string& text, bool& unreadable) {
    constexpr int kAttempts = 4;
    constexpr DWORD kPauseMs = 500;
    unreadable = false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (kvr::read_file(path, text)) return true;
        if (!kvr::path_exists(path)) return false;
        Sleep(kPauseMs);
    }
    unreadable = true;
    return false;
}

RunInputs gather_inputs(const LauncherConfig& cfg, const UploadRun& run) {
    RunInputs in;
    in.livesplit = read_livesplit();
    in.server_configured = !kvr::strip_trailing_slashes(cfg.server).empty();
    const std::string kvrw_result = data_file(cfg, "kvrw_result.json");
    // Left from an earlier run (refused, skipped, or judged by a launcher that was ended), it
    // would hide the run the player just finished.
    in.kvrw_result_stale =
        run.launch_began != 0 && kvr::path_exists(kvrw_result) &&
        !kvrw_result_is_current(kvr::last_write_time(kvrw_result), run.launch_began);
    std::string text;
    if (!in.kvrw_result_stale && read_kvrw_result(kvrw_result, text, in.kvrw_result_unreadable)) {
        in.source = ReceiptSource::kvrw_result;
        in.text = std::move(text);
    } else if (kvr::read_file(cfg.receipt, text)) {
        in.text = std::move(text);
    }
    // Both the persona and launcher.ini's name arrive as UTF-8 (decoded where they were read).
    in.player = cfg.player;
    if (in.server_configured) in.player_id = detect_steam_account().steam_id;
    in.difficulty = cfg.difficulty;
    return in;
}

UploadResult result_of(RunVerdict verdict) {
    switch (verdict) {
    case RunVerdict::no_server:
        return UploadResult::no_server;
    case RunVerdict::no_receipt:
        return UploadResult::no_receipt;
    case RunVerdict::invalid_receipt:
        return UploadResult::invalid_receipt;
    case RunVerdict::not_finished:
        return UploadResult::not_finished;
    case RunVerdict::submit:
        break;
    }
    return UploadResult::not_run;
}

// Why the run did not get through, and where it waits now: said once, as it is.
void log_upload_failure(UploadMode mode, const std::string& why) {
    if (mode == UploadMode::upload_only)
        log_line("upload failed (%s), receipt kept for the next try", why.c_str());
    else if (!g_outcome.queued_path.empty())
        log_line("upload failed (%s), saved to pending queue", why.c_str());
    else
        log_line("upload failed (%s), run not queued: the receipt is left in place for "
                 "\"--upload\"",
                 why.c_str());
}

// What the server's answer says about the run: accepted, refused, or no verdict.
bool take_answer(const LauncherConfig& cfg, UploadMode mode, const std::string& body, int status) {
    g_outcome.response = body;
    const SubmitReply reply = parse_submit_reply(body);
    if (reply.token) {
        g_outcome.profile_token = *reply.token;
        keep_profile_token(cfg, *reply.token);
    }
    note_oversized_token(reply);
    if (reply.rank) g_outcome.rank = *reply.rank;
    if (reply.points) g_outcome.points = *reply.points;
    g_outcome.error = reply.error;
    log_line("upload response: %s", answer_for_log(body).c_str());
    if (reply.accepted) {
        g_outcome.result = UploadResult::accepted;
        return true;
    }
    if (!is_server_trouble(status, reply)) {
        g_outcome.result = UploadResult::refused;
        return false;
    }
    log_upload_failure(mode, is_trouble_status(status) ? format_text("server answered %d", status)
                                                       : "server answer holds no verdict");
    g_outcome.result = UploadResult::server_trouble;
    return false;
}

// Removes the files the run was judged from; true when none of them is left.
bool remove_judged_files(const LauncherConfig& cfg) {
    bool gone = true;
    for (const std::string& path :
         {g_outcome.from_kvrw_result ? data_file(cfg, "kvrw_result.json") : std::string(),
          cfg.receipt}) {
        if (path.empty() || !kvr::path_exists(path) || kvr::delete_file(path)) continue;
        log_line("judged file could not be removed: %s", path.c_str());
        gone = false;
    }
    return gone;
}

// The run moves from the files it was judged from into the queue. A judged file that cannot be
// removed keeps the run instead, so the entry is taken back: in two places it would be sent
// twice.
void hand_run_to_queue(const LauncherConfig& cfg) {
    g_outcome.queued_path = write_pending_entry(cfg, g_outcome.payload);
    if (g_outcome.queued_path.empty() || remove_judged_files(cfg)) return;
    if (kvr::delete_file(g_outcome.queued_path))
        log_line("run not queued: it stays in the judged file");
    else
        log_line("pending entry could not be taken back: %s", g_outcome.queued_path.c_str());
    g_outcome.queued_path.clear();
}

// After the server's verdict the queue lets go of the run: an accepted entry is removed, a
// refused one set aside in "pending\refused" (the receipt is gone, so it is the only copy).
void settle_queued_run(const LauncherConfig& cfg) {
    const std::string& path = g_outcome.queued_path;
    if (g_outcome.result == UploadResult::accepted) {
        if (!kvr::delete_file(path))
            log_line("pending sent but could not be removed: %s", path.c_str());
    } else if (g_outcome.result == UploadResult::refused) {
        set_aside_refused(cfg, path, g_outcome.error);
    } else {
        return; // no verdict: the entry waits for the next start
    }
    g_outcome.queued_path.clear();
}

bool submit(const LauncherConfig& cfg, UploadMode mode) {
    if (mode == UploadMode::race_run) hand_run_to_queue(cfg);
    std::string body;
    int status = 0;
    HttpProblem problem = HttpProblem::none;
    bool accepted = false;
    if (post_submit(cfg, g_outcome.payload, body, &status, &problem)) {
        accepted = take_answer(cfg, mode, body, status);
    } else {
        log_upload_failure(mode, http_problem_text(problem));
        g_outcome.result = UploadResult::unreachable;
    }
    if (!g_outcome.queued_path.empty())
        settle_queued_run(cfg);
    else if (accepted)
        remove_judged_files(cfg);
    return accepted;
}

} // namespace

bool evaluate_and_upload(const LauncherConfig& cfg, const UploadRun& run) {
    const RunInputs in = gather_inputs(cfg, run);
    const RunJudgement j = judge_run(in);
    for (const std::string& line : j.log)
        log_line("%s", line.c_str());

    g_outcome.from_kvrw_result = in.source == ReceiptSource::kvrw_result;
    g_outcome.result = result_of(j.verdict);
    if (j.verdict != RunVerdict::submit) {
        // The queue just held runs: "no receipt" would tell the server a run went missing.
        const bool queued_instead = j.verdict == RunVerdict::no_receipt && run.queue_held_runs;
        if (!j.skip_reason.empty() && !queued_instead) report_skip(cfg, j.player, j.skip_reason);
        return false;
    }
    g_outcome.payload = j.payload;
    g_outcome.difficulty = j.difficulty;
    g_outcome.ending = j.ending;
    g_outcome.total = j.total;
    return submit(cfg, run.mode);
}

const UploadOutcome& upload_outcome() {
    return g_outcome;
}
