#include "launcher_core/result/run_io.h"

#include "launcher_core/base/dated_names.h"
#include "launcher_core/base/log.h"
#include "launcher_core/profile/profile_page.h"
#include "launcher_core/server/http_client.h"
#include "launcher_core/server/race_requests.h"
#include "launcher_core/server/submit_request.h"

#include "common/win32/files.h"
#include "common/win32/win_error.h"

#include <windows.h>

namespace {

std::string folder_of(const std::string& path) {
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// A file is read as soon as whoever holds it lets go (a virus scanner looking at a fresh file,
// the game's last flush); nothing when it is missing or stays locked for about two seconds.
std::optional<std::string> read_when_free(const std::string& path) {
    constexpr int kAttempts = 8;
    constexpr DWORD kPauseMs = 250;
    std::string text;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) Sleep(kPauseMs);
        if (kvr::read_file(path, text)) return text;
        if (!kvr::path_exists(path)) return std::nullopt;
    }
    return std::nullopt;
}

SubmitAnswer submit(const LauncherConfig& cfg, const std::string& body) {
    SubmitAnswer a;
    HttpProblem problem = HttpProblem::none;
    a.answered = post_submit(cfg, body, a.body, &a.status, &problem);
    a.failure = http_problem_text(problem);
    return a;
}

void report_skip(const LauncherConfig& cfg, const std::string& player, const std::string& reason) {
    std::string answer;
    if (http_post_json(endpoint_url(cfg.server, "/client/log"), skip_report_body(player, reason),
                       answer))
        log_line("skip report sent: %s", reason.c_str());
    else
        log_line("skip report not sent (server unreachable): %s", reason.c_str());
}

} // namespace

RunPlaces run_places(const LauncherConfig& cfg) {
    return {cfg.data, cfg.receipt};
}

RunIo run_io(const LauncherConfig& cfg) {
    RunIo io;
    io.read = read_when_free;
    io.exists = kvr::path_exists;
    io.write_time = kvr::last_write_time;
    io.write = [](const std::string& path, std::string_view bytes) {
        kvr::create_directories(folder_of(path));
        return kvr::write_file_atomic(path, bytes);
    };
    io.remove = [](const std::string& path) {
        return kvr::delete_file(path) || !kvr::path_exists(path);
    };
    io.move = [](const std::string& from, const std::string& to) {
        kvr::create_directories(folder_of(to));
        return kvr::move_file(from, to);
    };
    io.list = [](const std::string& folder) { return kvr::list_files(folder + "\\*.json"); };
    io.submit = [&cfg](const std::string& body) { return submit(cfg, body); };
    io.report_skip = [&cfg](const std::string& player, const std::string& reason) {
        report_skip(cfg, player, reason);
    };
    // This run's login replaces the saved one; a queued run's is kept when there is none yet.
    io.take_token = [&cfg](const std::string& token, bool this_run) {
        if (this_run || !profile_token_saved(cfg)) keep_profile_token(cfg, token);
    };
    io.pause = [](unsigned milliseconds) { Sleep(milliseconds); };
    io.digest = [](std::string_view bytes) { return hex_digits(sha256_digest(bytes)); };
    io.now = local_time_now;
    io.log = [](const std::string& line) { log_line("%s", line.c_str()); };
    io.why = kvr::last_error_text;
    return io;
}
