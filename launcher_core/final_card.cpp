#include "launcher_core/final_card.h"

#include "launcher_core/format_text.h"
#include "launcher_core/json_fields.h"
#include "launcher_core/server_reply.h"

#include "common/text.h"
#include "ui_kit/race_time.h"

namespace {

constexpr char kNetworkError[] = "Network error. Result saved locally - it will retry next launch.";
constexpr char kNoFinish[] = "No finish detected - this run will not count.";
constexpr char kNoServer[] = "No race server configured - result not uploaded.";
constexpr char kRefused[] = "The server did not accept this run - see launcher.log.";
// A run the queue could not take was not sent either: it stays in its files.
constexpr char kNotQueued[] = "The result could not be saved yet - see launcher.log.";

// The longest value of the other options; their sound values are a few bytes long.
constexpr size_t kMaxCardValueBytes = 64;

// At most `max_chars` UTF-8 characters, "..." marking a cut.
std::string cut_text(std::string_view s, size_t max_chars) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue; // continuation byte
        if (chars++ == max_chars) return std::string(s.substr(0, i)) + "...";
    }
    return std::string(s);
}

// The server's error as one line of card text: control characters become blanks.
std::string card_message(std::string_view error) {
    std::string line(error);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return cut_text(kvr::trim(line), kMaxCardMessageChars);
}

} // namespace

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
    const size_t limit = kMaxCardValueBytes;
    std::string cmd = kvr::quoted_argument(card_exe);
    cmd += " --ok " + kvr::quoted_argument(card.ok ? "1" : "0", limit);
    cmd += " --kind " + kvr::quoted_argument(card.kind, limit);
    cmd += " --total " + kvr::quoted_argument(card.total, limit);
    cmd += " --difficulty " + kvr::quoted_argument(card.difficulty, limit);
    cmd += " --ending " + kvr::quoted_argument(card.ending, limit);
    cmd += " --rank " + kvr::quoted_argument(std::to_string(card.rank), limit);
    cmd += " --points " + kvr::quoted_argument(std::to_string(card.points), limit);
    // The message was cut to whole characters already; this bound only guards the line.
    cmd += " --msg " + kvr::quoted_argument(card.message, kMaxCardMessageChars * 4 + 3);
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
