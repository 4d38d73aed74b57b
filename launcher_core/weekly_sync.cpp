#include "launcher_core/weekly_sync.h"

#include "launcher_core/http_client.h"
#include "launcher_core/log.h"
#include "launcher_core/race_requests.h"
#include "launcher_core/server_reply.h"
#include "launcher_core/state_files.h"

#include "common/text.h"
#include "common/win32/files.h"

namespace {

void fetch(const LauncherConfig& cfg, const char* path, const char* file) {
    int status = 0;
    if (download_to_file(endpoint_url(cfg.server, path), data_file(cfg, file), &status))
        log_line("%s updated from server", file);
    else if (status != 0)
        log_line("%s: server answered %d, using cached copy", file, status);
    else
        log_line("%s: server unreachable, using cached copy", file);
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
    kvr::write_file(data_file(cfg, "rand_seed.txt"), *seed);
    log_line("weekly seed = %s", seed->c_str());
}

} // namespace

void sync_weekly_data(const LauncherConfig& cfg) {
    if (kvr::strip_trailing_slashes(cfg.server).empty()) {
        log_line("no server configured, using cached data");
        return;
    }
    fetch(cfg, "/week/current", "week.json");
    write_seed(cfg);
    fetch(cfg, "/leaderboard", "leaderboard.json");
    fetch(cfg, "/board-data", "board_data.txt");
    fetch(cfg, "/board-en", "board_en.txt");
    fetch(cfg, "/leaderboard.txt", "board.txt");
    fetch(cfg, "/leaderboard.tsv", "board.tsv");
}
