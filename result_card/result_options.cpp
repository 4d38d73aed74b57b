#include "result_card/result_options.h"

#include "common/race_names.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

std::optional<double> parse_seconds(std::string_view s) {
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    if (!std::isfinite(value) || value < 0) return std::nullopt;
    return value;
}

std::optional<int> parse_whole(std::string_view s) {
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

RunKind parse_kind(std::string_view s) {
    if (s == "uploaded") return RunKind::uploaded;
    if (s == "network") return RunKind::network;
    if (s == "rejected") return RunKind::rejected;
    if (s == "unfinished") return RunKind::unfinished;
    return RunKind::unknown;
}

std::string one_of(std::string_view s, std::initializer_list<std::string_view> words) {
    for (std::string_view w : words)
        if (s == w) return std::string(s);
    return {};
}

// Applies one option; false when the name is not an option (the value is then not consumed).
bool apply(ResultOptions& o, std::string_view name, const std::string& value) {
    if (name == "--mode") {
        o.progress = value == "progress";
    } else if (name == "--state") {
        o.state_path = value;
    } else if (name == "--ok") {
        o.ok = value == "1";
    } else if (name == "--kind") {
        o.kind = parse_kind(value);
        o.kind_given = true;
    } else if (name == "--total") {
        o.total_seconds = parse_seconds(value);
    } else if (name == "--difficulty") {
        o.difficulty = one_of(value, {kvr::race::kEasy, kvr::race::kNormal, kvr::race::kNightmare});
    } else if (name == "--ending") {
        o.ending = one_of(value, {"main", "true", "arcade"});
    } else if (name == "--rank") {
        o.rank = parse_whole(value);
        if (o.rank && *o.rank < 1) o.rank.reset();
    } else if (name == "--points") {
        o.points = parse_whole(value);
    } else if (name == "--msg") {
        o.message = value;
    } else {
        return false;
    }
    return true;
}

} // namespace

ResultOptions parse_result_options(const std::vector<std::string>& args) {
    ResultOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i + 1 < args.size() && apply(o, args[i], args[i + 1])) ++i;
    }
    return o;
}
