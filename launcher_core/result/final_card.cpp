#include "launcher_core/result/final_card.h"

#include "launcher_core/base/format_text.h"
#include "launcher_core/base/json_fields.h"
#include "launcher_core/server/server_reply.h"

#include "common/text.h"
#include "common/utf8.h"
#include "ui_kit/race_time.h"

namespace {

constexpr char kNetworkError[] = "Network error. Result saved locally - it will retry next launch.";
constexpr char kNoFinish[] = "No finish detected - this run will not count.";
constexpr char kNoServer[] = "No race server configured - result not uploaded.";
constexpr char kRefused[] = "The server did not accept this run - see launcher.log.";
// A run the queue could not take was not sent either: it stays in its files.
constexpr char kNotQueued[] = "The result could not be saved yet - see launcher.log.";

// The longest value of the other options; their sound values are a few characters long.
constexpr size_t kMaxCardValueChars = 64;

// A value as the card gets it: without what an argument cannot carry (control characters: a NUL
// would end the whole command line there; double quotes, which no quoting of ours passes on;
// bytes that are not UTF-8) and at most `max_chars` characters. Taking it again changes nothing,
// so the plan and the command line hold the same values.
std::string card_value(std::string_view s, size_t max_chars) {
    std::string out;
    size_t chars = 0;
    for (size_t i = 0, len; i < s.size() && chars < max_chars; i += len ? len : 1) {
        char32_t cp = 0;
        len = kvr::next_utf8_char(s, i, cp);
        if (len == 0 || kvr::is_control_char(cp) || cp == '"') continue;
        out.append(s.substr(i, len));
        ++chars;
    }
    return out;
}

// The server's error as one line of card text: line breaks and other controls between words
// become blanks; a cut after kMaxCardMessageChars characters is marked "...".
std::string card_message(std::string_view error) {
    std::string line(error);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    line = card_value(kvr::trim(line), kMaxCardMessageChars + 1);
    if (card_value(line, kMaxCardMessageChars) == line) return line;
    return card_value(line, kMaxCardMessageChars) + "...";
}

} // namespace

FinalReportPlan plan_final_report(const UploadOutcome& o) {
    FinalReportPlan plan;
    FinalCard& card = plan.card;
    card.total = card_value(o.total, kMaxCardValueChars);
    card.difficulty = card_value(o.difficulty, kMaxCardValueChars);
    card.ending = card_value(o.ending, kMaxCardValueChars);
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
        plan.pending_line = "pending saved: " + log_safe(o.entry);
        card.kind = "network";
        card.message = kNetworkError;
        break;
    case UploadResult::not_queued:
        plan.stage_line = "stage: upload failed, saving pending";
        card.kind = "network";
        card.message = kNotQueued;
        break;
    case UploadResult::refused: {
        plan.stage_line = "stage: upload done (ok=0)";
        card.kind = "rejected";
        const std::string known = refusal_message(o.error);
        const std::string told = card_message(o.error);
        card.message = !known.empty() ? known : !told.empty() ? told : kRefused;
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
    // The values as planned pass unchanged; this only guards a card put together elsewhere.
    auto value = [](std::string_view v) {
        return kvr::quoted_argument(card_value(v, kMaxCardValueChars));
    };
    std::string cmd = kvr::quoted_argument(card_exe);
    cmd += " --ok " + value(card.ok ? "1" : "0");
    cmd += " --kind " + value(card.kind);
    cmd += " --total " + value(card.total);
    cmd += " --difficulty " + value(card.difficulty);
    cmd += " --ending " + value(card.ending);
    cmd += " --rank " + value(std::to_string(card.rank));
    cmd += " --points " + value(std::to_string(card.points));
    cmd += " --msg " + kvr::quoted_argument(card_value(card.message, kMaxCardMessageChars + 3));
    return cmd;
}

std::optional<std::string> run_time_text(std::string_view total) {
    std::string digits;
    for (const char c : total)
        if (c != '"') digits += c;
    const double t = leading_double(digits);
    if (!(t > 0.0) || !(t < 1e9)) return std::nullopt;
    return kvr::ui::race_time_text(t);
}
