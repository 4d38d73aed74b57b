// The JSON bodies the launcher sends to the race server and the URLs it sends them to. Every
// text from outside (player name, Steam id, difficulty, reason) is JSON-escaped, so a persona
// such as a"b\c can neither break the body nor add fields to it.
#pragma once
#include <string>
#include <string_view>

// The server base without its trailing '/' characters, then the endpoint path.
std::string endpoint_url(std::string_view server, std::string_view path);

// {"player":"..."[,"playerId":"..."], then the receipt's own fields (its text after the opening
// brace, so its closing brace ends the object). A "difficulty" field is added before them only
// when the receipt has no "difficulty" key of its own, however it is spelt (blanks before the
// colon too): the body must not carry the key twice. `receipt` begins with '{'.
std::string submit_payload(std::string_view player, std::string_view player_id,
                           std::string_view difficulty, std::string_view receipt);

// {"player":"...","reason":"..."}: why a run was not uploaded.
std::string skip_report_body(std::string_view player, std::string_view reason);

// The bytes as lower-case hex digits, two a byte.
std::string hex_digits(std::string_view bytes);

// "Idempotency-Key: <64 lower-case hex digits>\r\n" for the SHA-256 digest (32 bytes) of a submit
// body. The first send of a body and every resend from the pending queue carry the same key, and
// two different bodies never share one, so a server can drop the repeats of a run.
std::string idempotency_key_header(std::string_view sha256_digest);
