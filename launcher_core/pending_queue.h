// Runs that could not be uploaded wait in the data directory's "pending" folder, one file per
// run named p_<date>_<time>.json, holding the exact body that was to be sent to "/submit".
// Every race run sends them again before the game starts, oldest first:
// - accepted: the file is removed;
// - refused (the server's verdict, for example a closed week): the file is moved to
//   "pending\refused" with a log line, so it is kept but not sent at every start forever;
// - no answer, or an answer that is no verdict (HTTP 408, 429 or 5xx, or no "accepted" and no
//   "error" in it): the file stays for the next start; once the server is unreachable the rest
//   of the queue waits too.
// - a file that is not one whole JSON object (cut off, garbage) is never sent: it is moved to
//   "pending\refused" like a refused run, so nothing is deleted.
// A race run writes its own entry before sending (see write_pending_entry), so a launcher ended
// mid-upload leaves the run queued.
// Skip reports tell the server why a run was not uploaded at all.
#pragma once
#include "launcher_core/config.h"

#include <string>

void flush_pending_queue(const LauncherConfig& cfg);
// Queues a submit body; returns the file's path, empty when it could not be written.
std::string save_pending(const LauncherConfig& cfg, const std::string& payload);
// The same without log lines, for the entry written before the upload is tried.
std::string write_pending_entry(const LauncherConfig& cfg, const std::string& payload);
// POST "/client/log" with the player and the reason; the answer is not used.
void report_skip(const LauncherConfig& cfg, const std::string& player, const std::string& reason);
