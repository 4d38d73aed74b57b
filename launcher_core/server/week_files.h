// The week's race data from the server: which endpoint fills which data-directory file, in
// which order, and when a download may replace the cached copy. Pure: the caller passes the
// requests, the file access and the log (the race run wires them to WinHTTP, the data directory
// and launcher.log).
//
// A file keeps its cached copy when its download fails, is answered with a non-2xx status, is no
// sound week file, or cannot be written; `replace` writes a file whole or not at all. After the
// first request that went unanswered (silence, not a refusal) the remaining files keep their
// cached copies without asking: each would cost the same wait before the game starts.
// rand_seed.txt gets the "seed" of week.json as it then stands on disk, fresh or cached.
#pragma once
#include <functional>
#include <string>
#include <string_view>

struct WeekAnswer {
    bool answered = false; // a whole response arrived, whatever its status
    bool silent = false;   // no answer in time
    int status = 0;
    std::string body;
    std::string failure; // why there is no answer, in the words of the log line
};

struct WeekSyncIo {
    std::function<WeekAnswer(std::string_view endpoint)> get;
    std::function<bool(std::string_view file, std::string& bytes)> read;
    std::function<bool(std::string_view file, std::string_view bytes)> replace;
    std::function<void(const std::string& line)> log;
    // The system's reason for the write that just failed, for its log line.
    std::function<std::string()> why;
};

void sync_week_files(const WeekSyncIo& io);
