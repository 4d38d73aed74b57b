// The run ledger, pending\ledger.txt in the data directory: which files each queued run was
// judged from and what became of the run, so that a receipt or kvrw_result.json is judged once,
// however often the launcher starts and wherever it was ended.
//
// Format: one line a run, fields separated by one blank: the state, the queue entry's file name
// ("-" for a run that was never queued) and a mark of each file the run was judged from: the
// SHA-256 of its content (64 lower-case hex digits), or, for a file that could not be read (held
// open by another program), "w" and its last write time. For example:
//   queued p_20261209_101500.json 3f2a...e1 w134093214500000000
//   skipped - 51d0...aa
// A queued line is written before its entry and counts only while the entry exists (a start ended
// in between leaves a line for an entry that never was). Runs that are over (sent, refused,
// skipped) are remembered for the last kDoneRunsKept of them. Lines that do not read as above
// are dropped.
#pragma once
#include <string>
#include <string_view>
#include <vector>

enum class RunState { queued, sent, refused, skipped };

struct LedgerLine {
    RunState state = RunState::queued;
    std::string entry; // the queue entry's file name, "-" when none
    std::vector<std::string> marks;
};

inline constexpr size_t kDoneRunsKept = 64;

std::vector<LedgerLine> parse_ledger(std::string_view text);
// Every queued line, and the last kDoneRunsKept of the others, in their order.
std::string format_ledger(const std::vector<LedgerLine>& lines);

// The run that was judged from a file with this mark, or nullptr.
const LedgerLine* run_judged_from(const std::vector<LedgerLine>& lines, std::string_view mark);
// The line of a queue entry, or nullptr.
LedgerLine* line_of_entry(std::vector<LedgerLine>& lines, std::string_view entry);

const char* run_state_name(RunState state);
