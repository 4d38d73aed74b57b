#include "launcher_core/server_reply.h"

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
    if (const auto token = quoted_value(body, "\"token\":")) r.token = std::string(*token);
    r.rank = int_after(body, "\"rank\":");
    r.points = int_after(body, "\"points\":");
    if (const auto error = quoted_value(body, "\"error\":")) r.error = std::string(*error);
    return r;
}

bool is_server_trouble(int http_status, const SubmitReply& reply) {
    if (reply.accepted) return false;
    return http_status == 408 || http_status == 429 || http_status >= 500;
}

std::optional<std::string> week_seed(std::string_view week_json) {
    std::optional<std::string_view> seed = quoted_value(week_json, "\"seed\":");
    if (!seed) seed = bare_value(week_json, "\"seed\":");
    if (!seed || seed->empty() || *seed == "null") return std::nullopt;
    return std::string(*seed);
}
