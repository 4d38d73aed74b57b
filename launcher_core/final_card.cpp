#include "launcher_core/final_card.h"

#include "launcher_core/json_fields.h"

#include "common/text.h"

#include <cmath>

namespace {

constexpr char kNetworkError[] = "Network error. Result saved locally - it will retry next launch.";
constexpr char kNoFinish[] = "No finish detected - this run will not count.";
constexpr char kNoServer[] = "No race server configured - result not uploaded.";
constexpr char kRefused[] = "The server did not accept this run - see launcher.log.";

// One quoted command-line argument: quotes dropped; backslashes before the closing quote
// doubled, since an odd run of them would escape it.
std::string quoted(std::string_view value) {
    std::string v;
    for (const char c : value)
        if (c != '"') v += c;
    size_t trailing = 0;
    while (trailing < v.size() && v[v.size() - 1 - trailing] == '\\')
        ++trailing;
    v.append(trailing, '\\');
    return "\"" + v + "\"";
}

} // namespace

std::string refusal_message(std::string_view error) {
    static const struct {
        const char* error;
        const char* message;
    } known[] = {
        {"splits too few", "incomplete result (too few splits)"},
        {"Level 0", "run did not start at Level 0 - not eligible"},
        {"race is closed", "The race is closed - result not counted"},
        {"week window closed", "This week has ended - result not counted"},
        {"hard difficulty", "Hard difficulty is not part of the race"},
    };
    if (error.empty()) return {};
    for (const auto& k : known)
        if (kvr::contains(error, k.error)) return k.message;
    return {};
}

FinalReportPlan plan_final_report(const UploadOutcome& o) {
    FinalReportPlan plan;
    FinalCard& card = plan.card;
    card.total = o.total;
    card.difficulty = o.difficulty;
    card.ending = o.ending;
    card.rank = o.rank;
    card.points = o.points;
    switch (o.result) {
    case UploadResult::accepted:
        plan.stage_line = "stage: upload done (ok=1)";
        card.ok = true;
        card.kind = "uploaded";
        break;
    case UploadResult::unreachable:
    case UploadResult::server_trouble:
        plan.stage_line = "stage: upload failed, saving pending";
        plan.queue = !o.payload.empty();
        card.kind = "network";
        card.message = kNetworkError;
        break;
    case UploadResult::refused: {
        plan.stage_line = "stage: upload done (ok=0)";
        card.kind = "rejected";
        const std::string known = refusal_message(o.error);
        card.message = !known.empty() ? known : !o.error.empty() ? o.error : kRefused;
        break;
    }
    case UploadResult::no_server:
        plan.stage_line = "stage: upload done (ok=0)";
        card.kind = "rejected";
        card.message = kNoServer;
        break;
    case UploadResult::not_run:
    case UploadResult::no_receipt:
    case UploadResult::invalid_receipt:
    case UploadResult::not_finished:
        plan.stage_line = "stage: run not finished, nothing queued";
        card.kind = "unfinished";
        card.message = kNoFinish;
        break;
    }
    return plan;
}

std::string final_card_command_line(std::string_view card_exe, const FinalCard& card) {
    std::string cmd = quoted(card_exe);
    cmd += " --ok " + quoted(card.ok ? "1" : "0");
    cmd += " --kind " + quoted(card.kind);
    cmd += " --total " + quoted(card.total);
    cmd += " --difficulty " + quoted(card.difficulty);
    cmd += " --ending " + quoted(card.ending);
    cmd += " --rank " + quoted(std::to_string(card.rank));
    cmd += " --points " + quoted(std::to_string(card.points));
    cmd += " --msg " + quoted(card.message);
    return cmd;
}

std::optional<RunTime> split_run_time(std::string_view total) {
    std::string digits;
    for (const char c : total)
        if (c != '"') digits += c;
    const double t = leading_double(digits);
    if (!(t > 0.0) || !(t < 1e9)) return std::nullopt;
    RunTime rt;
    rt.minutes = static_cast<int>(t / 60.0);
    rt.seconds = t - rt.minutes * 60.0;
    return rt;
}
