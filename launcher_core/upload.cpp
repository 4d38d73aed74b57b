#include "launcher_core/upload.h"

#include "launcher_core/app_state.h"
#include "launcher_core/format_text.h"
#include "launcher_core/http_client.h"
#include "launcher_core/livesplit.h"
#include "launcher_core/log.h"
#include "launcher_core/pending_queue.h"
#include "launcher_core/profile_page.h"
#include "launcher_core/race_requests.h"
#include "launcher_core/receipt_judge.h"
#include "launcher_core/server_reply.h"
#include "launcher_core/state_files.h"
#include "launcher_core/steam_detection.h"

#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <windows.h>

namespace {

UploadOutcome g_outcome;

// The response goes to the log whole unless it is unreasonably long.
constexpr size_t kLoggedResponseBytes = 4096;

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

RunInputs gather_inputs(const LauncherConfig& cfg) {
    RunInputs in;
    in.livesplit = read_livesplit();
    in.server_configured = !kvr::strip_trailing_slashes(cfg.server).empty();
    std::string text;
    if (read_kvrw_result(data_file(cfg, "kvrw_result.json"), text, in.kvrw_result_unreadable)) {
        in.source = ReceiptSource::kvrw_result;
        in.text = std::move(text);
    } else if (kvr::read_file(cfg.receipt, text)) {
        in.text = std::move(text);
    }
    // A persona comes from Steam's UTF-8 files; a name from launcher.ini may be in the ANSI
    // code page of the player's system.
    in.player = cfg.player_from_steam ? cfg.player : kvr::external_to_utf8(cfg.player);
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

void save_token(const LauncherConfig& cfg, const std::string& token) {
    g_outcome.profile_token = token;
    set_profile_token(token);
    if (kvr::write_file_atomic(data_file(cfg, "profile_token.txt"), token))
        log_line("profile token saved");
    else
        log_line("profile token could not be saved");
    if (!profile_page_was_opened(cfg)) {
        open_profile_page(cfg, token);
        log_line("opened profile page (first time)");
    }
}

void log_response(const std::string& body) {
    if (body.size() <= kLoggedResponseBytes) {
        log_line("upload response: %s", log_safe(body).c_str());
        return;
    }
    log_line("upload response: %s... (%lu bytes)",
             log_safe(body.substr(0, kLoggedResponseBytes)).c_str(),
             static_cast<unsigned long>(body.size()));
}

// Why the run did not get through, in the words of the upload's failure line.
void log_upload_failure(UploadMode mode, const std::string& why) {
    log_line(mode == UploadMode::race_run ? "upload failed (%s), saved to pending queue"
                                          : "upload failed (%s), receipt kept for the next try",
             why.c_str());
}

// What the server's answer says about the run: accepted, refused, or no verdict.
bool take_answer(const LauncherConfig& cfg, UploadMode mode, const std::string& body, int status) {
    g_outcome.response = body;
    const SubmitReply reply = parse_submit_reply(body);
    if (reply.token) save_token(cfg, *reply.token);
    if (reply.rank) g_outcome.rank = *reply.rank;
    if (reply.points) g_outcome.points = *reply.points;
    g_outcome.error = reply.error;
    log_response(body);
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

// In a race run the body goes into the queue before it is sent, so a launcher that is ended
// during the upload (the player closes the console, the PC shuts down) leaves the run queued
// for the next start. The entry is removed again once the server has given its verdict.
bool submit(const LauncherConfig& cfg, UploadMode mode) {
    if (mode == UploadMode::race_run)
        g_outcome.queued_path = write_pending_entry(cfg, g_outcome.payload);
    std::string body;
    int status = 0;
    HttpProblem problem = HttpProblem::none;
    bool accepted = false;
    if (http_post_json(endpoint_url(cfg.server, "/submit"), g_outcome.payload, body, &status,
                       &problem)) {
        accepted = take_answer(cfg, mode, body, status);
    } else {
        log_upload_failure(mode, http_problem_text(problem));
        g_outcome.result = UploadResult::unreachable;
    }
    const bool keep_queued = g_outcome.result == UploadResult::unreachable ||
                             g_outcome.result == UploadResult::server_trouble;
    if (!keep_queued && !g_outcome.queued_path.empty()) {
        if (!kvr::delete_file(g_outcome.queued_path))
            log_line("pending entry could not be removed: %s", g_outcome.queued_path.c_str());
        g_outcome.queued_path.clear();
    }
    if (accepted) remove_judged_files(cfg);
    return accepted;
}

} // namespace

bool evaluate_and_upload(const LauncherConfig& cfg, UploadMode mode) {
    const RunInputs in = gather_inputs(cfg);
    const RunJudgement j = judge_run(in);
    for (const std::string& line : j.log)
        log_line("%s", line.c_str());

    g_outcome.from_kvrw_result = in.source == ReceiptSource::kvrw_result;
    g_outcome.result = result_of(j.verdict);
    if (j.verdict != RunVerdict::submit) {
        if (!j.skip_reason.empty()) report_skip(cfg, j.player, j.skip_reason);
        return false;
    }
    g_outcome.payload = j.payload;
    g_outcome.difficulty = j.difficulty;
    g_outcome.ending = j.ending;
    g_outcome.total = j.total;
    return submit(cfg, mode);
}

const UploadOutcome& upload_outcome() {
    return g_outcome;
}

void remove_judged_files(const LauncherConfig& cfg) {
    if (g_outcome.from_kvrw_result) kvr::delete_file(data_file(cfg, "kvrw_result.json"));
    kvr::delete_file(cfg.receipt);
}
