#include "launcher_core/result/receipt_judge.h"

#include "launcher_core/base/complete_json.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/base/json_fields.h"
#include "launcher_core/server/race_requests.h"

#include "common/race_names.h"
#include "common/text.h"

#include <cmath>
#include <string_view>

namespace {

constexpr std::string_view kMapKey = "\"map\":\"";
constexpr std::string_view kEndingMarker = "\"map\":\"ENDING:";
constexpr std::string_view kTimeKey = "\"t\":";
constexpr std::string_view kSplitKey = "\"i\":";
constexpr std::string_view kEndingPrefix = "ENDING:";

bool is_ending_word(std::string_view s) {
    return s == "arcade" || s == "main" || s == "true";
}

bool is_ending_map(std::string_view name) {
    for (const std::string_view mark : {"3999", "Tunnel", "Final Escape", "Neon", "ENDING:"})
        if (kvr::contains(name, mark)) return true;
    return false;
}

// The ending a run reached, from its last ending map and its split count.
std::string settle_ending(std::string_view map, size_t split_count) {
    if (map.substr(0, kEndingPrefix.size()) == kEndingPrefix) {
        const std::string_view word = map.substr(kEndingPrefix.size());
        return is_ending_word(word) ? std::string(word) : "main";
    }
    if (kvr::contains(map, "Neon")) return "arcade";
    if (kvr::contains(map, "Tunnel")) return "main";
    if (kvr::contains(map, "3999") || kvr::contains(map, "Arcade") ||
        kvr::contains(map, "Final Escape"))
        return split_count < 45 ? "arcade" : "true";
    return "main";
}

// First occurrence at or after a position, for positions that only grow: the last hit is
// remembered, so a whole scan reads the text once even when the pattern is rare or missing.
struct ForwardFinder {
    std::string_view text;
    std::string_view pattern;
    size_t hit = 0;
    bool searched = false;

    size_t next(size_t from) {
        if (!searched || (hit != std::string_view::npos && hit < from)) {
            hit = text.find(pattern, from);
            searched = true;
        }
        return hit;
    }
};

struct SplitScan {
    bool ending_seen = false;
    std::string last_map;
    double last_time = -1.0;
};

// Visits every map name in order; an ending map's time is the first "t" after its name.
SplitScan scan_splits(std::string_view text) {
    SplitScan scan;
    ForwardFinder times{text, kTimeKey};
    for (size_t pos = text.find(kMapKey); pos != std::string_view::npos;) {
        const size_t start = pos + kMapKey.size();
        const size_t close = text.find('"', start);
        if (close == std::string_view::npos) break;
        const std::string_view name = text.substr(start, close - start);
        if (is_ending_map(name)) {
            scan.ending_seen = true;
            scan.last_map = std::string(name);
            const size_t t = times.next(close);
            scan.last_time = t == std::string_view::npos
                                 ? -1.0
                                 : leading_double(text.substr(t + kTimeKey.size()));
        }
        pos = text.find(kMapKey, close);
    }
    return scan;
}

double last_split_time(std::string_view text) {
    const size_t t = text.rfind(kTimeKey);
    return t == std::string_view::npos ? -1.0 : leading_double(text.substr(t + kTimeKey.size()));
}

void splice(std::string& text, TextSpan span, std::string_view value) {
    text.replace(span.begin, span.end - span.begin, value);
}

RunJudgement skip(RunJudgement j, RunVerdict verdict, const char* line, const char* reason) {
    j.log.emplace_back(line);
    j.verdict = verdict;
    j.skip_reason = reason;
    return j;
}

// LiveSplit's time against the last split: a LiveSplit time well below it means the timer was
// stopped early. Compared in hundredths, as logged, so a difference shown as -2.00 never warns.
bool stopped_before_last_split(double livesplit, double last_split) {
    return last_split > 0.0 && std::llround((livesplit - last_split) * 100.0) < -200;
}

void cross_check(RunJudgement& j, const LiveSplitReading& ls, double last_split) {
    if (!ls.time || !(last_split > 0.0)) return;
    const double diff = *ls.time - last_split;
    j.log.push_back(format_text("cross-check: livesplit=%.2f lastSplit=%.2f diff=%.2f", *ls.time,
                                last_split, diff));
    if (stopped_before_last_split(*ls.time, last_split))
        j.log.emplace_back(
            "WARN: livesplit stopped before last split (likely early stop, review manually)");
}

// The phase as the log shows it.
std::string shown_phase(const LiveSplitReading& ls) {
    return ls.phase.empty() ? "(none)" : log_safe(ls.phase);
}

// LiveSplit stays "Ended" until someone resets it, so an "Ended" after the game is this run's
// only when the reading before the game shows it was not: reset then ("NotRunning"), or another
// end (reset and run again). A timer already running before the game counts time from before
// this run. Without a phase from before the game (LiveSplit not reachable yet, or a run judged
// later) nothing tells this run's end from an earlier attempt's. A LiveSplit that was already
// open may hold another splits file: a run of another number of segments than the race splits
// is not the race's.
enum class LiveSplitEnd { this_run, not_ended, earlier, unknown, other_splits };

LiveSplitEnd whose_end(const LiveSplitReading& ls, const LiveSplitReading& before,
                       std::optional<int> race_segments) {
    if (ls.phase != "Ended") return LiveSplitEnd::not_ended;
    if (ls.segments && race_segments && *ls.segments != *race_segments)
        return LiveSplitEnd::other_splits;
    if (before.phase == "NotRunning") return LiveSplitEnd::this_run;
    if (before.phase != "Ended" || !before.time || !ls.time) return LiveSplitEnd::unknown;
    return *before.time == *ls.time ? LiveSplitEnd::earlier : LiveSplitEnd::this_run;
}

void settle_time(RunJudgement& j, const RunInputs& in, LiveSplitEnd end, double last_split) {
    const LiveSplitReading& ls = in.livesplit;
    if (in.source == ReceiptSource::kvrw_result) {
        j.log.emplace_back("mod in-game time is authoritative, livesplit only cross-checked");
        return;
    }
    if (!ls.time) {
        j.log.emplace_back("livesplit time unavailable, using receipt time");
        return;
    }
    switch (end) {
    case LiveSplitEnd::not_ended:
        j.log.push_back(format_text("livesplit has not ended (phase %s), its time is not the "
                                    "run's: using receipt time",
                                    shown_phase(ls).c_str()));
        return;
    case LiveSplitEnd::earlier:
        j.log.push_back(format_text("livesplit had already ended before the game at %.2f: an "
                                    "earlier attempt's time, using receipt time",
                                    *ls.time));
        return;
    case LiveSplitEnd::unknown:
        j.log.push_back(in.livesplit_before.phase.empty()
                            ? std::string("livesplit was not read before the game, so its end "
                                          "may be an earlier attempt's: using receipt time")
                            : format_text("livesplit was not reset before the game (phase %s), "
                                          "so its end may be an earlier attempt's: using "
                                          "receipt time",
                                          shown_phase(in.livesplit_before).c_str()));
        return;
    case LiveSplitEnd::other_splits:
        j.log.push_back(format_text("livesplit's run has %d segments, the race splits %d: "
                                    "another splits file, using receipt time",
                                    *ls.segments, *in.race_segments));
        return;
    case LiveSplitEnd::this_run:
        break;
    }
    // An end before the run's own last split is not where this run ended (another splits file,
    // or the timer stopped early).
    if (stopped_before_last_split(*ls.time, last_split)) {
        j.log.emplace_back("livesplit ended before the run's last split: using receipt time");
        return;
    }
    const auto span = bare_value_span(j.text, "\"total\":");
    if (!span) return;
    const std::string old = log_safe(bare_value(j.text, "\"total\":").value_or(""));
    splice(j.text, *span, format_text("%.2f", *ls.time));
    j.log.push_back(
        format_text("livesplit time used: %.2f (receipt said %s)", *ls.time, old.c_str()));
}

// The difficulty the server gets, which the result card then shows: the receipt's own when it
// has a "difficulty" key in any spelling (the payload then adds none), else the configured one.
void settle_difficulty(RunJudgement& j, const std::string& configured) {
    const std::string_view key = key_pattern(j.text, "\"difficulty\"");
    if (key.empty()) {
        j.difficulty = configured.empty() ? "normal" : configured;
        return;
    }
    const auto chosen = quoted_value(j.text, key);
    // As the server reads it: a JSON string with its escapes undone.
    j.difficulty =
        chosen ? json_unescape(*chosen) : std::string(bare_value(j.text, key).value_or(""));
    if (chosen && kvr::race::is_difficulty(j.difficulty))
        j.log.push_back(format_text("difficulty from game (receipt): %s", j.difficulty.c_str()));
}

} // namespace

RunJudgement judge_run(const RunInputs& in) {
    RunJudgement j;
    j.player = in.player.empty() ? "anonymous" : in.player;
    const LiveSplitReading& ls = in.livesplit;
    j.log.push_back(ls.time ? format_text("livesplit probe ok: %.2f", *ls.time)
                            : "livesplit probe failed (server not started?)");

    if (!in.server_configured) {
        j.log.emplace_back("no server configured, upload skipped");
        j.verdict = RunVerdict::no_server;
        return j;
    }
    if (in.source == ReceiptSource::kvrw_result)
        j.log.emplace_back("using kvrw_result.json (in-game timer)");
    else if (in.kvrw_result_stale)
        j.log.emplace_back("kvrw_result.json is older than this run, ignored");
    else if (in.kvrw_result_unreadable)
        j.log.emplace_back("kvrw_result.json present but unreadable, using the receipt");
    if (!in.text)
        return skip(std::move(j), RunVerdict::no_receipt, "no receipt to upload",
                    "no receipt file");
    j.text = *in.text;
    if (j.text.empty() || j.text.front() != '{')
        return skip(std::move(j), RunVerdict::invalid_receipt,
                    "receipt content invalid, upload skipped", "receipt invalid");
    // What the game left when it crashed mid-write, or a script fault: sent on, it would make
    // the submit body broken JSON.
    if (!is_complete_json(j.text)) {
        j.log.push_back(format_text("receipt is not a complete JSON object (%lu bytes: cut off, "
                                    "or a key without a value)",
                                    static_cast<unsigned long>(j.text.size())));
        return skip(std::move(j), RunVerdict::invalid_receipt,
                    "receipt content invalid, upload skipped", "receipt invalid");
    }
    if (in.source == ReceiptSource::receipt && !kvr::contains(j.text, kEndingMarker))
        return skip(std::move(j), RunVerdict::not_finished,
                    "run not finished: receipt has no ENDING marker (crashed before ending?)",
                    "run not finished (no ending screen)");

    j.log.push_back(format_text("livesplit phase: %s", shown_phase(ls).c_str()));
    const SplitScan scan = scan_splits(j.text);
    // An end that may be this run's still finishes it (a run is not lost over a LiveSplit
    // switched on late); only its time needs the proof.
    const LiveSplitEnd end = whose_end(ls, in.livesplit_before, in.race_segments);
    const bool livesplit_ended = end == LiveSplitEnd::this_run || end == LiveSplitEnd::unknown;
    if (!livesplit_ended && !scan.ending_seen) {
        if (end != LiveSplitEnd::not_ended)
            j.log.emplace_back("livesplit's end is not this run's: it does not finish it");
        return skip(std::move(j), RunVerdict::not_finished,
                    "run not finished, upload skipped (no ending map in splits)",
                    "run not finished (no ending map)");
    }

    const std::string ending = settle_ending(scan.last_map, count_occurrences(j.text, kSplitKey));
    if (const auto status = quoted_value_span(j.text, "\"status\":"))
        splice(j.text, *status, "ending");
    if (const auto given = quoted_value_span(j.text, "\"ending\":")) {
        const std::string_view value(j.text.data() + given->begin, given->end - given->begin);
        if (!is_ending_word(value)) splice(j.text, *given, ending);
    }
    j.log.push_back(format_text("ending inferred from splits: %s (map=%s t=%.2f)", ending.c_str(),
                                log_safe(scan.last_map).c_str(), scan.last_time));

    const double last_split = last_split_time(j.text);
    cross_check(j, ls, last_split);
    settle_time(j, in, end, last_split);

    settle_difficulty(j, in.difficulty);
    j.payload = submit_payload(j.player, in.player_id, j.difficulty, j.text);
    j.total = std::string(bare_value(j.text, "\"total\":").value_or(""));
    // What the server gets: no "ending" key sends no ending, whatever the splits suggested.
    if (const std::string_view key = key_pattern(j.text, "\"ending\""); !key.empty())
        j.ending = json_unescape(quoted_value(j.text, key).value_or(""));
    j.verdict = RunVerdict::submit;
    return j;
}
