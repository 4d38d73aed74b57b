#include "launcher_core/server/weekly_sync.h"

#include "launcher_core/base/log.h"
#include "launcher_core/base/state_files.h"
#include "launcher_core/server/http_client.h"
#include "launcher_core/server/race_requests.h"
#include "launcher_core/server/week_files.h"

#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/win_error.h"

#include <windows.h>

void sync_weekly_data(const LauncherConfig& cfg) {
    if (kvr::strip_trailing_slashes(cfg.server).empty()) {
        log_line("no server configured, using cached data");
        return;
    }
    WeekSyncIo io;
    io.get = [&cfg](std::string_view endpoint) {
        WeekAnswer a;
        HttpProblem problem = HttpProblem::none;
        a.answered = http_get(endpoint_url(cfg.server, endpoint), a.body, &a.status, &problem);
        a.silent = problem == HttpProblem::no_answer || problem == HttpProblem::slow_body ||
                   problem == HttpProblem::out_of_time || problem == HttpProblem::overdue;
        a.failure = http_problem_text(problem);
        return a;
    };
    io.read = [&cfg](std::string_view file, std::string& bytes) {
        return kvr::read_file(data_file(cfg, file), bytes);
    };
    // The game and the overlay read these files; a write that fails half-way (a full disk) must
    // leave them the cached copy, not a truncated one.
    io.replace = [&cfg](std::string_view file, std::string_view bytes) {
        return kvr::write_file_atomic(data_file(cfg, file), bytes);
    };
    io.log = [](const std::string& line) { log_line("%s", line.c_str()); };
    io.why = kvr::last_error_text;
    sync_week_files(io);
}
