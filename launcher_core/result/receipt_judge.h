// Judging a run from the text the in-game script wrote (the receipt, or kvrw_result.json): does
// it count, which ending did it reach, which time and difficulty go to the server, and what is
// the body to submit.
//
// Pure: the caller gathers the inputs (the files, LiveSplit's phase and time, the settings)
// and acts on the judgement (skip report, upload). The log lines come back in the order in
// which they are to be written.
//
// Rules worth knowing:
// - The text must be one complete JSON object beginning with '{'; anything else (cut off by a
//   crash, a key without a value) is an invalid receipt.
// - A plain receipt counts only with an ending-screen marker ("map":"ENDING:...); the in-game
//   timer's kvrw_result.json needs none.
// - A run is finished when a split names an ending map, or LiveSplit shows an end that may be
//   this run's (not one it already showed before the game, nor one of other splits).
// - The receipt is edited by splicing: "status" becomes "ending", an "ending" value that is not
//   one of arcade/main/true gets the settled ending, and for a plain receipt LiveSplit's time
//   replaces "total" only for an end proven this run's (reset before the game, or another end
//   than then) that does not lie before the run's last split. A value is only spliced when
//   it is quoted ("status", "ending") so that a bare value never makes the splice reach into the
//   next key.
// - The difficulty, ending and total reported for the result card are the ones the server gets
//   in the payload: a receipt without an "ending" key reports none.
#pragma once
#include "launcher_core/livesplit/livesplit_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ReceiptSource { receipt, kvrw_result };

struct RunInputs {
    bool server_configured = false;
    ReceiptSource source = ReceiptSource::receipt;
    std::optional<std::string> text;     // the source's content; nothing when it could not be read
    bool kvrw_result_unreadable = false; // it exists, but could not be read (the receipt is used)
    bool kvrw_result_stale = false;      // it is older than this run: a leftover, not judged
    LiveSplitReading livesplit;          // after the game
    LiveSplitReading livesplit_before;   // before the game (race run); empty when not read
    std::optional<int> race_segments;    // the race splits' segments, when known
    std::string player;                  // UTF-8; "anonymous" is used when empty
    std::string player_id;
    std::string difficulty; // the configured one; "normal" is used when empty
};

enum class RunVerdict { no_server, no_receipt, invalid_receipt, not_finished, submit };

struct RunJudgement {
    RunVerdict verdict = RunVerdict::no_server;
    std::string skip_reason; // for the skip report of a run that is not uploaded
    std::string player;      // as sent, also in skip reports
    std::string text;        // the receipt as edited
    std::string payload;     // the submit body (verdict submit)
    std::string difficulty;
    std::string ending;
    std::string total;
    std::vector<std::string> log;
};

RunJudgement judge_run(const RunInputs& in);
