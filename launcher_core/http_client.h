// The race server over HTTP or HTTPS (WinHTTP). One request per call on a fresh session; nothing
// is retried here. The query string stays part of the requested path.
//
// A call succeeds when a response arrived, whatever its status: a 500 with a body is a response,
// and callers judge the body (and, where it matters, the status passed back). Every request has
// time-outs (connect 5 s, send and answer 15 s each, the whole body 60 s) and the body is capped
// at 8 MiB; a bigger body is a failure. Requests send the user agent "KVR-Race-Launcher/1.0".
#pragma once
#include <string>

inline constexpr size_t kMaxResponseBytes = 8u << 20;

// `status`, when given, receives the HTTP status code (0 when no response arrived).
bool http_get(const std::string& url, std::string& body_out, int* status = nullptr);
bool http_post_json(const std::string& url, const std::string& json_body, std::string& body_out,
                    int* status = nullptr);

// GET, then the body replaces the file. Only a 2xx answer is written: an error page must not
// replace a good cached copy. A failure leaves the file untouched.
bool download_to_file(const std::string& url, const std::string& path, int* status = nullptr);
