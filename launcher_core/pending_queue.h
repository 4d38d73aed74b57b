// Runs that could not be uploaded wait in the data directory's "pending" folder, one file per
// run named p_<date>_<time>.json, holding the exact body that was to be sent to "/submit".
// Every race run sends them again before the game starts, and "--upload" before it judges a
// receipt, oldest first:
// - accepted: the file is removed; the answer's token is kept when no token is saved yet;
// - refused (the server's verdict, for example a closed week): the file is moved to
//   "pending\refused" with a log line, so it is kept but not sent at every start forever;
// - no answer, or an answer that is no verdict (HTTP 408, 429 or 5xx, or no "accepted" and no
//   "error" in it): the file stays for the next start; once the server is unreachable the rest
//   of the queue waits too.
// - a file that is not one whole JSON object (cut off, garbage) is never sent: it is moved to
//   "pending\refused" like a refused run, so nothing is deleted.
// A race run puts its own run into the queue before sending it (see upload.h), so a launcher
// ended mid-upload leaves the run queued and nowhere else.
// Skip reports tell the server why a run was not uploaded at all.
#pragma once
#include "launcher_core/config.h"

#include <string>

struct QueueFlush {
    int entries = 0;  // files that were in the queue
    int accepted = 0; // of them, accepted by the server
};
QueueFlush flush_pending_queue(const LauncherConfig& cfg);

// Queues a submit body, written whole or not at all; returns the file's path, or empty (with a
// log line) when it could not be written.
std::string write_pending_entry(const LauncherConfig& cfg, const std::string& payload);
// Moves a queued run the server refused to "pending\refused"; `error` is the server's reason.
void set_aside_refused(const LauncherConfig& cfg, const std::string& path,
                       const std::string& error);

// POST "/client/log" with the player and the reason; the answer is not used.
void report_skip(const LauncherConfig& cfg, const std::string& player, const std::string& reason);
