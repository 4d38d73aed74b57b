// Sending a run's body to the race server's "/submit", for the fresh upload and for every resend
// from the pending queue alike. Each request carries the Idempotency-Key of its body (the SHA-256
// of the exact bytes, from Windows' CNG), so a server can tell a resend from a new run; the body
// itself goes out unchanged, and a server that ignores the header loses nothing.
#pragma once
#include "launcher_core/base/config.h"
#include "launcher_core/server/http_client.h"

#include <string>
#include <string_view>

// As http_post_json: true when an answer arrived whole; `status` and `problem` as there.
bool post_submit(const LauncherConfig& cfg, const std::string& body, std::string& answer,
                 int* status, HttpProblem* problem);

// The SHA-256 digest (32 bytes) of the data through CNG; empty when the provider fails.
std::string sha256_digest(std::string_view data);
