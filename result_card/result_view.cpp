#include "result_card/result_view.h"

#include "common/race_names.h"
#include "common/text.h"
#include "ui_kit/race_time.h"

namespace {

const char kMiddleDot[] = "  \xC2\xB7  ";

std::string difficulty_label(std::string_view d) {
    if (d == "easy") return "EASY";
    if (d == "normal") return "NORMAL";
    if (d == "nightmare") return "NIGHTMARE";
    return {};
}

std::string ending_label(std::string_view e) {
    if (e == "main") return "MAIN ENDING";
    if (e == "true") return "TRUE ENDING";
    if (e == "arcade") return "ARCADE ENDING";
    return {};
}

std::string standard_message(RunKind kind) {
    switch (kind) {
    case RunKind::network:
        return "Network error. Result saved locally - it will retry next launch.";
    case RunKind::unfinished:
        return "No finish detected - this run will not count.";
    default:
        return {};
    }
}

std::string rank_line(int rank, int points) {
    const std::string sign = points < 0 ? "" : "+";
    return "Rank #" + std::to_string(rank) + "    " + sign + std::to_string(points) + " pts";
}

} // namespace

Outcome outcome_of(const ResultOptions& o) {
    if (o.kind == RunKind::unfinished) return Outcome::no_result;
    const bool accepted_kind = o.kind == RunKind::uploaded || o.kind == RunKind::unknown;
    if (o.ok.value_or(false) && accepted_kind) return Outcome::uploaded;
    if (!o.ok && !o.kind_given) return Outcome::no_result;
    return Outcome::failed;
}

FinalCardText final_card_text(const ResultOptions& o) {
    FinalCardText t;
    t.outcome = outcome_of(o);
    t.title = t.outcome == Outcome::uploaded ? "UPLOADED"
              : t.outcome == Outcome::failed ? "UPLOAD FAILED"
                                             : "NO RESULT";
    t.time_known = o.total_seconds.has_value();
    t.time = t.time_known ? kvr::ui::race_time_text(*o.total_seconds) : "--:--.--";
    const std::string difficulty = difficulty_label(o.difficulty);
    const std::string ending = ending_label(o.ending);
    t.labels = difficulty.empty() || ending.empty() ? difficulty + ending
                                                    : difficulty + kMiddleDot + ending;
    if (t.outcome == Outcome::uploaded && o.rank)
        t.rank_line = rank_line(*o.rank, o.points.value_or(0));
    t.message = o.message.empty() ? standard_message(o.kind) : o.message;
    return t;
}

bool upload_finished(std::string_view state_content) {
    const std::string word = kvr::trim(state_content);
    return word == kvr::race::kDone || word == kvr::race::kFail;
}

int seconds_left(std::uint64_t elapsed_ms, int total_seconds) {
    const std::uint64_t total_ms =
        static_cast<std::uint64_t>(total_seconds > 0 ? total_seconds : 0) * 1000;
    if (elapsed_ms >= total_ms) return 0;
    return static_cast<int>((total_ms - elapsed_ms + 999) / 1000);
}
