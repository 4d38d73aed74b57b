#include "launcher_core/result/run_ledger.h"

#include "common/text.h"

#include <optional>

namespace {

constexpr RunState kStates[] = {RunState::queued, RunState::sent, RunState::refused,
                                RunState::skipped};

std::optional<RunState> state_named(std::string_view word) {
    for (const RunState s : kStates)
        if (word == run_state_name(s)) return s;
    return std::nullopt;
}

bool all_of_chars(std::string_view s, std::string_view allowed) {
    return !s.empty() && s.find_first_not_of(allowed) == std::string_view::npos;
}

// A content hash, or "w" and a write time.
bool is_mark(std::string_view s) {
    if (s.size() == 64) return all_of_chars(s, "0123456789abcdef");
    return s.size() > 1 && s.front() == 'w' && all_of_chars(s.substr(1), "0123456789");
}

// A file name the launcher gave an entry: no separator, no blank, no control byte.
bool is_entry_name(std::string_view s) {
    if (s.empty()) return false;
    for (const char c : s)
        if (c == '\\' || c == '/' || static_cast<unsigned char>(c) <= ' ') return false;
    return true;
}

std::optional<LedgerLine> parse_line(std::string_view text) {
    const std::string trimmed = kvr::trim(text);
    const std::vector<std::string_view> fields = kvr::split(trimmed, ' ');
    if (fields.size() < 3) return std::nullopt;
    const auto state = state_named(fields[0]);
    if (!state || !is_entry_name(fields[1])) return std::nullopt;
    LedgerLine line{*state, std::string(fields[1]), {}};
    for (size_t i = 2; i < fields.size(); ++i) {
        if (!is_mark(fields[i])) return std::nullopt;
        line.marks.emplace_back(fields[i]);
    }
    return line;
}

} // namespace

const char* run_state_name(RunState state) {
    switch (state) {
    case RunState::queued:
        return "queued";
    case RunState::sent:
        return "sent";
    case RunState::refused:
        return "refused";
    case RunState::skipped:
        return "skipped";
    }
    return "?";
}

std::vector<LedgerLine> parse_ledger(std::string_view text) {
    std::vector<LedgerLine> lines;
    for (const std::string_view raw : kvr::split(text, '\n'))
        if (auto line = parse_line(raw)) lines.push_back(std::move(*line));
    return lines;
}

std::string format_ledger(const std::vector<LedgerLine>& lines) {
    size_t done = 0;
    for (const LedgerLine& l : lines)
        done += l.state != RunState::queued;
    const size_t drop = done > kDoneRunsKept ? done - kDoneRunsKept : 0;
    std::string text;
    size_t seen = 0;
    for (const LedgerLine& l : lines) {
        if (l.state != RunState::queued && seen++ < drop) continue;
        text += run_state_name(l.state);
        text += ' ';
        text += l.entry;
        for (const std::string& m : l.marks)
            text += ' ' + m;
        text += '\n';
    }
    return text;
}

const LedgerLine* run_judged_from(const std::vector<LedgerLine>& lines, std::string_view mark) {
    for (const LedgerLine& l : lines)
        for (const std::string& m : l.marks)
            if (m == mark) return &l;
    return nullptr;
}

LedgerLine* line_of_entry(std::vector<LedgerLine>& lines, std::string_view entry) {
    for (LedgerLine& l : lines)
        if (l.entry == entry) return &l;
    return nullptr;
}
