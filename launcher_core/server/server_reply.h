// What the launcher takes from the race server's answers (found by plain text search, see
// json_fields.h).
//
// A run is accepted only when the answer holds `"accepted": true` or `"accepted":true`. The
// token, rank, points and error are taken when present, accepted or not; the token and the error
// with their JSON escapes undone, and an empty token counts as none, as does one longer than
// kMaxTokenBytes (the saved login stays; see oversized_token_bytes).
#pragma once
#include <optional>
#include <string>
#include <string_view>

// The longest login the launcher takes: the next start reads back no more of profile_token.txt,
// and a longer one would only make a huge address for the browser.
inline constexpr size_t kMaxTokenBytes = 255;

struct SubmitReply {
    bool accepted = false;
    std::optional<std::string> token;
    size_t oversized_token_bytes = 0; // a token ignored for its length, which was this
    std::optional<int> rank;
    std::optional<int> points;
    std::string error;
    bool refused = false;     // "accepted" is false, in any spelling of the key
    bool json_object = false; // the whole body is one JSON object, as the server's answers are
};

SubmitReply parse_submit_reply(std::string_view body);

enum class SubmitVerdict { accepted, refused, none };

// What an answer to "/submit" means for the run, the first send and every resend alike. A redirect
// (3xx, never followed) is no verdict whatever its body holds. Accepted: the body holds
// `"accepted": true`, whatever the other status. Refused only on an explicit verdict in
// an answer that is one JSON object (a login portal's page may hold an "error" in its script):
// `"accepted": false` or an "error" text on a 2xx, 400 or 422 answer, or, whatever the status, an
// error the server gives for a run that cannot count (refusal_message). Anything else is no
// verdict and the run waits to be sent again: a redirect, 401 and 403 (a proxy or a login
// wall), 404 and 405 (a misconfigured server or path), 408 and 429, 409 (the same key still being
// handled), 413, 5xx, and any answer without either key (an error page, bytes cut short).
SubmitVerdict submit_verdict(int http_status, const SubmitReply& reply);

// The card's message for a refusal the server gives for a run that cannot count ("race is
// closed", "Level 0", ...); empty for any other error text.
std::string refusal_message(std::string_view error);

// The answer as the log shows it: the value of every "token" key (a login, whoever reads the log
// could use it) replaced by "<hidden, N bytes>", the rest escaped for one log line (log_safe) and
// cut after 4096 characters.
std::string answer_for_log(std::string_view body);

// The "seed" of week.json, quoted or bare; nothing when it is missing or empty.
std::optional<std::string> week_seed(std::string_view week_json);

// Why a downloaded week file must not replace its cached copy, or empty when it may: the JSON
// files ("*.json") must be one whole JSON object or array, the text files must hold no NUL byte. A
// proxy's error page, binary garbage or a transfer cut short then leaves the good copy in place.
std::string_view week_file_problem(std::string_view file, std::string_view body);
