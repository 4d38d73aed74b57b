#include "launcher_core/server/race_requests.h"

#include "launcher_core/base/json_fields.h"

#include "common/json_text.h"
#include "common/text.h"

std::string endpoint_url(std::string_view server, std::string_view path) {
    return kvr::strip_trailing_slashes(server) + std::string(path);
}

std::string submit_payload(std::string_view player, std::string_view player_id,
                           std::string_view difficulty, std::string_view receipt) {
    std::string body = "{\"player\":\"" + kvr::json_escape(player) + "\"";
    if (!player_id.empty()) body += ",\"playerId\":\"" + kvr::json_escape(player_id) + "\"";
    if (key_pattern(receipt, "\"difficulty\"").empty())
        body += ",\"difficulty\":\"" + kvr::json_escape(difficulty) + "\"";
    const std::string_view fields = receipt.substr(receipt.empty() ? 0 : 1);
    // An empty object ("{}") adds no fields; a comma before its brace would break the body.
    const std::string rest = kvr::trim(fields);
    if (rest.empty() || rest.front() != '}') body += ',';
    body.append(fields);
    return body;
}

std::string skip_report_body(std::string_view player, std::string_view reason) {
    return "{\"player\":\"" + kvr::json_escape(player) + "\",\"reason\":\"" +
           kvr::json_escape(reason) + "\"}";
}

std::string hex_digits(std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0f];
    }
    return hex;
}

std::string idempotency_key_header(std::string_view sha256_digest) {
    return "Idempotency-Key: " + hex_digits(sha256_digest) + "\r\n";
}
