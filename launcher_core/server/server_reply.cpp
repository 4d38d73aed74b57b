#include "launcher_core/server/server_reply.h"

#include "launcher_core/base/complete_json.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/base/json_fields.h"

#include "common/json_text.h"
#include "common/text.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kTokenKey = "\"token\"";

// The value of the "token" key at `at`, in every spelling a JSON reader takes (blanks around the
// colon): a string's text between its quotes (to the end of the answer when it is cut off), or a
// bare value (a number) up to its end; begin is npos when no value follows the key there.
TextSpan token_value_at(std::string_view body, size_t at) {
    constexpr size_t kNone = std::string_view::npos;
    size_t pos = body.find_first_not_of(" \t\r\n", at + kTokenKey.size());
    if (pos == kNone || body[pos] != ':') return {kNone, kNone};
    pos = body.find_first_not_of(" \t\r\n", pos + 1);
    if (pos == kNone || body[pos] == '{' || body[pos] == '[') return {kNone, kNone};
    if (body[pos] != '"')
        return {pos, std::min(body.find_first_of(",}] \t\r\n", pos), body.size())};
    size_t close = pos + 1;
    while (close < body.size() && body[close] != '"')
        close += body[close] == '\\' ? 2 : 1;
    return {pos + 1, std::min(close, body.size())};
}

// A login shorter than this is not looked for elsewhere in the answer: it would hide ordinary
// words and numbers.
constexpr size_t kShortestHiddenLogin = 6;

std::optional<int> int_after(std::string_view body, std::string_view pattern) {
    const size_t at = body.find(pattern);
    if (at == std::string_view::npos) return std::nullopt;
    return leading_int(body.substr(at + pattern.size()));
}

} // namespace

SubmitReply parse_submit_reply(std::string_view body) {
    SubmitReply r;
    r.accepted =
        kvr::contains(body, "\"accepted\": true") || kvr::contains(body, "\"accepted\":true");
    // Both are JSON strings: a server may escape any character ("\/" for "/" in a token). An
    // empty token is no login: it must not replace the one the player has.
    if (const auto token = quoted_value(body, "\"token\":"); token && !token->empty()) {
        std::string login = json_unescape(*token);
        if (login.size() <= kMaxTokenBytes)
            r.token = std::move(login);
        else
            r.oversized_token_bytes = login.size();
    }
    r.rank = int_after(body, "\"rank\":");
    r.points = int_after(body, "\"points\":");
    if (const auto error = quoted_value(body, "\"error\":")) r.error = json_unescape(*error);
    if (const std::string_view key = key_pattern(body, "\"accepted\""); !key.empty())
        r.refused = !r.accepted && bare_value(body, key) == "false";
    const size_t first = body.find_first_not_of(" \t\r\n");
    r.json_object = first != std::string_view::npos && body[first] == '{' && is_complete_json(body);
    return r;
}

SubmitVerdict submit_verdict(int http_status, const SubmitReply& reply) {
    // Redirects are not followed: whatever their body says, the server the run is for has not
    // judged it.
    if (http_status >= 300 && http_status <= 399) return SubmitVerdict::none;
    if (reply.accepted) return SubmitVerdict::accepted;
    if (!reply.json_object) return SubmitVerdict::none;
    if (!refusal_message(reply.error).empty()) return SubmitVerdict::refused;
    const bool judging_status =
        (http_status >= 200 && http_status <= 299) || http_status == 400 || http_status == 422;
    if (judging_status && (reply.refused || !reply.error.empty())) return SubmitVerdict::refused;
    return SubmitVerdict::none;
}

std::string answer_for_log(std::string_view body) {
    constexpr size_t kLoggedChars = 4096;
    std::string masked;
    std::vector<std::string> logins; // every token value, to be hidden wherever else it stands
    size_t from = 0;                 // what is not in `masked` yet
    for (size_t at = body.find(kTokenKey), next; at != std::string_view::npos;
         at = body.find(kTokenKey, next)) {
        next = at + 1;
        const TextSpan value = token_value_at(body, at);
        if (value.begin == std::string_view::npos || value.begin < from) continue;
        const std::string_view text = body.substr(value.begin, value.end - value.begin);
        const bool quoted = body[value.begin - 1] == '"'; // a login may well read "null"
        if (text.empty() || (!quoted && text == "null")) continue;
        logins.emplace_back(text);
        logins.push_back(json_unescape(text));
        logins.push_back(kvr::percent_encode(logins.back()));
        masked.append(body.substr(from, value.begin - from));
        masked += format_text("<hidden, %lu bytes>", static_cast<unsigned long>(text.size()));
        if (value.end == body.size() && quoted) masked += '"'; // cut off
        from = value.end;
        next = value.end; // in broken JSON its closing quote may open the next key
    }
    masked.append(body.substr(from));
    // The same login echoed in another field (a profile link, say) is hidden too.
    for (const std::string& login : logins)
        if (login.size() >= kShortestHiddenLogin)
            masked = kvr::replace_all(masked, login, "<hidden>");
    return log_safe(masked, kLoggedChars);
}

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

std::optional<std::string> week_seed(std::string_view week_json) {
    std::optional<std::string_view> seed = quoted_value(week_json, "\"seed\":");
    if (!seed) seed = bare_value(week_json, "\"seed\":");
    if (!seed || seed->empty() || *seed == "null") return std::nullopt;
    return std::string(*seed);
}

std::string_view week_file_problem(std::string_view file, std::string_view body) {
    const bool json = file.size() >= 5 && file.substr(file.size() - 5) == ".json";
    if (json) {
        // An object or an array: a lone bare word (an error page without blanks) is no week file.
        const size_t first = body.find_first_not_of(" \t\r\n");
        const bool container =
            first != std::string_view::npos && (body[first] == '{' || body[first] == '[');
        return container && is_complete_json(body) ? "" : "answer is not JSON";
    }
    return body.find('\0') == std::string_view::npos ? "" : "answer is not text";
}
