#include "launcher_core/server/week_files.h"

#include "launcher_core/base/format_text.h"
#include "launcher_core/server/server_reply.h"

#include "common/race_names.h"

namespace {

struct WeekFile {
    const char* endpoint;
    const char* file;
};

// Downloaded in this order; the seed is taken right after week.json.
constexpr WeekFile kWeekJson = {"/week/current", "week.json"};
constexpr WeekFile kBoards[] = {{"/leaderboard", "leaderboard.json"},
                                {"/board-data", "board_data.txt"},
                                {"/board-en", "board_en.txt"},
                                {"/leaderboard.txt", "board.txt"},
                                {"/leaderboard.tsv", kvr::race::kBoardTable}};

std::string fetch_line(const WeekSyncIo& io, const WeekFile& f, bool& server_silent) {
    if (server_silent) return format_text("%s: server did not answer, using cached copy", f.file);
    const WeekAnswer a = io.get(f.endpoint);
    if (!a.answered) {
        server_silent = a.silent;
        return format_text("%s: %s, using cached copy", f.file, a.failure.c_str());
    }
    if (a.status < 200 || a.status > 299)
        return format_text("%s: server answered %d, using cached copy", f.file, a.status);
    if (const std::string_view wrong = week_file_problem(f.file, a.body); !wrong.empty())
        return format_text("%s: %.*s, using cached copy", f.file, static_cast<int>(wrong.size()),
                           wrong.data());
    if (!io.replace(f.file, a.body))
        return format_text("%s: could not be written (%s), cached copy kept", f.file,
                           log_safe(io.why()).c_str());
    return format_text("%s updated from server", f.file);
}

std::string seed_line(const WeekSyncIo& io) {
    std::string week;
    if (!io.read("week.json", week)) return {};
    const auto seed = week_seed(week);
    if (!seed) return "week.json holds no seed, rand_seed.txt left as it is";
    if (!io.replace("rand_seed.txt", *seed))
        return "rand_seed.txt could not be written (" + log_safe(io.why()) +
               "), the game keeps the seed it has";
    return "weekly seed = " + log_safe(*seed);
}

} // namespace

void sync_week_files(const WeekSyncIo& io) {
    bool silent = false;
    io.log(fetch_line(io, kWeekJson, silent));
    if (const std::string line = seed_line(io); !line.empty()) io.log(line);
    for (const WeekFile& f : kBoards)
        io.log(fetch_line(io, f, silent));
}
