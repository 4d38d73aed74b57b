#include "launcher_core/weekly_sync.h"

#include "launcher_core/http_client.h"
#include "launcher_core/log.h"
#include "launcher_core/race_requests.h"
#include "launcher_core/server_reply.h"
#include "launcher_core/state_files.h"

#include "common/text.h"
#include "common/win32/files.h"

namespace {

// One week file. A server that let one request go unanswered would let the next ones time out
// too, each costing the player the full wait before the game starts: after the first silence
// the remaining files keep their cached copies without asking.
void fetch(const LauncherConfig& cfg, const char* path, const char* file, bool& server_silent) {
    if (server_silent) {
        log_line("%s: server did not answer, using cached copy", file);
        return;
    }
    std::string body;
    int status = 0;
    HttpProblem problem = HttpProblem::none;
    if (!http_get(endpoint_url(cfg.server, path), body, &status, &problem)) {
        server_silent = problem == HttpProblem::no_answer || problem == HttpProblem::slow_body;
        log_line("%s: %s, using cached copy", file, http_problem_text(problem));
    } else if (!is_success_status(status)) {
        log_line("%s: server answered %d, using cached copy", file, status);
    } else if (const std::string_view wrong = week_file_problem(file, body); !wrong.empty()) {
        log_line("%s: %.*s, using cached copy", file, static_cast<int>(wrong.size()), wrong.data());
    } else if (!kvr::write_file(data_file(cfg, file), body)) {
        log_line("%s: could not be written, cached copy kept", file);
    } else {
        log_line("%s updated from server", file);
    }
}

// The seed of the week (fresh or cached week.json) for the in-game script.
void write_seed(const LauncherConfig& cfg) {
    std::string week;
    if (!kvr::read_file(data_file(cfg, "week.json"), week)) return;
    const auto seed = week_seed(week);
    if (!seed) {
        log_line("week.json holds no seed, rand_seed.txt left as it is");
        return;
    }
    if (!kvr::write_file(data_file(cfg, "rand_seed.txt"), *seed)) {
        log_line("rand_seed.txt could not be written, the game keeps the seed it has");
        return;
    }
    log_line("weekly seed = %s", seed->c_str());
}

} // namespace

void sync_weekly_data(const LauncherConfig& cfg) {
    if (kvr::strip_trailing_slashes(cfg.server).empty()) {
        log_line("no server configured, using cached data");
        return;
    }
    bool silent = false;
    fetch(cfg, "/week/current", "week.json", silent);
    write_seed(cfg);
    fetch(cfg, "/leaderboard", "leaderboard.json", silent);
    fetch(cfg, "/board-data", "board_data.txt", silent);
    fetch(cfg, "/board-en", "board_en.txt", silent);
    fetch(cfg, "/leaderboard.txt", "board.txt", silent);
    fetch(cfg, "/leaderboard.tsv", "board.tsv", silent);
}
