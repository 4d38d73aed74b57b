// What the launcher takes from the race server's answers (found by plain text search, see
// json_fields.h).
//
// A run is accepted only when the answer holds `"accepted": true` or `"accepted":true`. The
// token, rank, points and error are taken when present, accepted or not; the token and the error
// with their JSON escapes undone, and an empty token counts as none, as does one longer than
// kMaxTokenBytes (the saved login stays; see oversized_token_bytes). An answer is a verdict
// on the run when it has an "accepted" key (whatever its value) or an "error" text; anything
// else (an error page, a proxy's login page, bytes cut short) says nothing about the run.
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
    bool verdict = false; // the answer judged the run (see above)
};

SubmitReply parse_submit_reply(std::string_view body);

// The answer as the log shows it: the value of every "token" key (a login, whoever reads the log
// could use it) replaced by "<hidden, N bytes>", the rest escaped for one log line (log_safe) and
// cut after 4096 characters.
std::string answer_for_log(std::string_view body);

// An answer that is no verdict on the run: the server was in trouble (HTTP 408, 429 or 5xx), or
// the answer carries no verdict at all, and the run was not accepted. Such a run is sent again
// later instead of being given up.
bool is_server_trouble(int http_status, const SubmitReply& reply);
// HTTP 408, 429 or 5xx: the server could not judge the run right now.
bool is_trouble_status(int http_status);

// The "seed" of week.json, quoted or bare; nothing when it is missing or empty.
std::optional<std::string> week_seed(std::string_view week_json);

// Why a downloaded week file must not replace its cached copy, or empty when it may: the JSON
// files ("*.json") must be one whole JSON object or array, the text files must hold no NUL byte. A
// proxy's error page, binary garbage or a transfer cut short then leaves the good copy in place.
std::string_view week_file_problem(std::string_view file, std::string_view body);
