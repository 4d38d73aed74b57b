// What the launcher takes from the race server's answers (found by plain text search, see
// json_fields.h).
//
// A run is accepted only when the answer holds `"accepted": true` or `"accepted":true`. The
// token, rank, points and error are taken when present, accepted or not.
#pragma once
#include <optional>
#include <string>
#include <string_view>

struct SubmitReply {
    bool accepted = false;
    std::optional<std::string> token;
    std::optional<int> rank;
    std::optional<int> points;
    std::string error;
};

SubmitReply parse_submit_reply(std::string_view body);

// An answer that is no verdict on the run: the server was in trouble (HTTP 408, 429 or 5xx)
// and did not accept it. Such a run is sent again later instead of being given up.
bool is_server_trouble(int http_status, const SubmitReply& reply);

// The "seed" of week.json, quoted or bare; nothing when it is missing or empty.
std::optional<std::string> week_seed(std::string_view week_json);
