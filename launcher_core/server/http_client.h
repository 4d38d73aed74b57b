// The race server over HTTP or HTTPS (WinHTTP). One request per call on a fresh session; nothing
// is retried here. The query string stays part of the requested path.
//
// A call succeeds when a response arrived whole, whatever its status: a 500 with a body is a
// response, and callers judge the body (and, where it matters, the status passed back). Every
// request has time-outs (connect 5 s, send and answer 15 s each, the whole body 60 s, checked as
// each piece of it arrives), is given up after 100 s whatever the server does, and the body is
// capped at 8 MiB; a bigger body, or one shorter than
// its announced length (the connection dropped mid-body), is a failure. Within an HttpBudget a
// request also ends by the budget's end. Redirects are never followed: a 3xx comes back as the
// answer. Certificates are checked as the system checks them. Requests send the user agent
// "KVR-Race-Launcher/1.0".
#pragma once
#include <string>

inline constexpr size_t kMaxResponseBytes = 8u << 20;

// Why a request got no usable answer, for the callers' log lines.
enum class HttpProblem {
    none,
    unreachable, // no connection (refused, no route, bad URL)
    no_answer,   // connected, but no answer within the answer time-out
    slow_body,   // the body stalled or did not arrive within its deadline
    too_large,   // the body is over kMaxResponseBytes
    cut_off,     // the connection ended before the whole body (as announced) arrived
    untrusted,   // no secure connection: the certificate is not trusted (or TLS failed)
    out_of_time, // the HttpBudget ran out before the answer came
    overdue,     // no answer within the request's own bound (a server sending its headers or
                 // handshake a byte at a time)
};
// "server unreachable", "no answer within 15 s", "answer over 8 MiB", ...
const char* http_problem_text(HttpProblem problem);

// `status`, when given, receives the HTTP status code (0 when no response arrived); `problem`
// why the call failed (none when it succeeded).
bool http_get(const std::string& url, std::string& body_out, int* status = nullptr,
              HttpProblem* problem = nullptr);
// `extra_headers`: further request headers, each ending in "\r\n".
bool http_post_json(const std::string& url, const std::string& json_body, std::string& body_out,
                    int* status = nullptr, HttpProblem* problem = nullptr,
                    const std::string& extra_headers = {});

// A time budget for every request made while it is open: the race run gives the server this long
// before the game starts, whatever the server does. A request ends by the budget's end however
// far it got (slow_body once the answer had begun, out_of_time before; the thread making it is
// left to finish on its own), and one started after it is not made (out_of_time). For the
// launcher's one thread; budgets do not nest.
class HttpBudget {
  public:
    explicit HttpBudget(unsigned long milliseconds);
    ~HttpBudget();
    HttpBudget(const HttpBudget&) = delete;
    HttpBudget& operator=(const HttpBudget&) = delete;
};

inline bool is_success_status(int status) {
    return status >= 200 && status <= 299;
}

// GET, then the body replaces the file. Only a 2xx answer is written: an error page must not
// replace a good cached copy. A failure leaves the file untouched.
bool download_to_file(const std::string& url, const std::string& path, int* status = nullptr);
