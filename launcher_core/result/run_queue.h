// A finished run's one road to the race server, the same in every mode.
//
// A run is judged once. Its body becomes a pending entry (pending\p_<date>_<time>.json, written
// whole) before anything is sent, and only an entry's stored bytes ever leave for the server,
// on the first send and on every resend (with the Idempotency-Key of those bytes). The run
// ledger (run_ledger.h) remembers which files each run was judged from, so a receipt or
// kvrw_result.json that was judged before is archived and removed instead of being judged again
// with another LiveSplit time, another name and another key.
//
// Forward only: the ledger line is written before the entry, the entry before the files it was
// judged from are archived and removed, and an entry is never taken back, whatever removal
// fails. A run whose entry cannot be written stays in its files, untouched, and is not sent: a
// body sent from nowhere could not be recognised later.
//
// What an answer does to an entry (submit_verdict): accepted, it is removed; refused, it moves to
// pending\refused; no verdict, it waits for the next start, and once an answer never came the
// rest of the queue waits too. The ledger records the verdict before the entry is touched.
//
// Portable: files, the server, the login and the log are reached through RunIo, so the whole
// road, crash points included, is tested natively.
#pragma once
#include "launcher_core/livesplit/livesplit_text.h"
#include "launcher_core/result/upload_outcome.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where a run's files are.
struct RunPlaces {
    std::string data;    // the data directory
    std::string receipt; // the receipt the in-game script writes
};

// One "/submit" exchange.
struct SubmitAnswer {
    bool answered = false; // a whole answer came back, whatever its status
    int status = 0;
    std::string body;
    std::string failure; // why none came back, as the log lines say it
};

struct RunIo {
    // Whole-file read; nothing when the file is missing or cannot be read.
    std::function<std::optional<std::string>(const std::string& path)> read;
    std::function<bool(const std::string& path)> exists;
    // Last write time (any unit that grows), 0 when unknown.
    std::function<unsigned long long(const std::string& path)> write_time;
    // Written whole or not at all, its folder created when missing.
    std::function<bool(const std::string& path, std::string_view bytes)> write;
    // True when the file is gone afterwards.
    std::function<bool(const std::string& path)> remove;
    // Into a folder that is created when missing.
    std::function<bool(const std::string& from, const std::string& to)> move;
    // Names of the "*.json" files of a folder, sorted.
    std::function<std::vector<std::string>(const std::string& folder)> list;
    // POST "/submit" with the body's Idempotency-Key.
    std::function<SubmitAnswer(const std::string& body)> submit;
    // POST "/client/log": why a run is not uploaded.
    std::function<void(const std::string& player, const std::string& reason)> report_skip;
    // A login token from an answer: this run's, or a queued run's that the server accepted.
    std::function<void(const std::string& token, bool this_run)> take_token;
    // Waits, so that a file another program holds can be tried again.
    std::function<void(unsigned milliseconds)> pause;
    // SHA-256, 64 lower-case hex digits.
    std::function<std::string(std::string_view bytes)> digest;
    std::function<std::tm()> now;
    std::function<void(const std::string& line)> log;
    // The system's reason for the write, removal or move that just failed, for its log line.
    std::function<std::string()> why;
};

// What the judging takes from outside the run's files.
struct RunContext {
    bool server_configured = false;
    // LiveSplit after the run's game (for a run an earlier start left behind, what it shows
    // before this start's game, as "--upload" would ask it).
    LiveSplitReading livesplit;
    LiveSplitReading livesplit_before; // race run: what it showed before the game
    std::optional<int> race_segments;  // the race splits' segments, when known
    std::string player;                // UTF-8
    std::string player_id;
    std::string difficulty;
    // Race run after the game: kvrw_result.json's write time when the game was launched (0: there
    // was none). A file still bearing it was not written by this run's game: a leftover, not
    // judged as this run. Compared for change, not for order, so a clock set back meanwhile does
    // not make this run's file look old.
    unsigned long long result_at_launch = 0;
    // The receipt was archived before the judging (the race run's archive stage).
    bool receipt_archived = false;
};

struct QueueFlush {
    int entries = 0;  // runs that were in the queue
    int accepted = 0; // of them, accepted by the server
    // Before the game: a run an earlier start left that could not be queued (its files held by
    // another program, the data directory not writable); the game will write over it. Why, for
    // the player's warning; empty when nothing is at risk.
    std::string at_risk;
};

// The race run's archive stage: a copy of the receipt in the data directory's receipts folder
// and a summary line. False when there is no receipt or no copy could be written.
bool archive_receipt(const RunPlaces& at, const RunIo& io);

// Race run, before the game: a run an earlier start left in the receipt or kvrw_result.json is
// judged and queued now, before the game can write over it (a file another program holds is
// waited for a while); then the queue is sent.
QueueFlush send_queue_before_game(const RunPlaces& at, const RunIo& io, const RunContext& ctx);

// Race run, after the game: the run is judged, queued and sent.
UploadOutcome upload_after_game(const RunPlaces& at, const RunIo& io, const RunContext& ctx);

// "--upload": the run files are judged and queued, then the whole queue is sent, oldest first.
// `flush` tells how the queue (this run's entry included) fared.
UploadOutcome upload_only(const RunPlaces& at, const RunIo& io, const RunContext& ctx,
                          QueueFlush& flush);
