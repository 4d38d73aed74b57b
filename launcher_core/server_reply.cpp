#include "launcher_core/server_reply.h"

#include "launcher_core/complete_json.h"
#include "launcher_core/json_fields.h"

#include "common/text.h"

namespace {

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
    if (const auto token = quoted_value(body, "\"token\":"); token && !token->empty())
        r.token = json_unescape(*token);
    r.rank = int_after(body, "\"rank\":");
    r.points = int_after(body, "\"points\":");
    if (const auto error = quoted_value(body, "\"error\":")) r.error = json_unescape(*error);
    r.verdict = r.accepted || !key_pattern(body, "\"accepted\"").empty() || !r.error.empty();
    return r;
}

bool is_trouble_status(int http_status) {
    return http_status == 408 || http_status == 429 || http_status >= 500;
}

bool is_server_trouble(int http_status, const SubmitReply& reply) {
    if (reply.accepted) return false;
    return is_trouble_status(http_status) || !reply.verdict;
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
