#include "launcher_core/server/http_client.h"

#include "common/win32/files.h"
#include "common/win32/scoped_handle.h"
#include "common/win32/wide.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>

#ifndef KVR_PACKAGE_VERSION
#define KVR_PACKAGE_VERSION "dev"
#endif

namespace {

constexpr int kResolveTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kSendTimeoutMs = 15000;
constexpr int kAnswerTimeoutMs = 15000;
constexpr ULONGLONG kBodyDeadlineMs = 60000;
// The most one request takes, whatever the server does: the time-outs above, one after the other.
// Each wait has its own time-out, but a server that sends its headers or its TLS handshake a byte
// at a time resets them for ever, and the receive-response time-out is not honoured for that by
// every WinHTTP (Wine's): the request is made on a thread of its own and given up at this bound.
constexpr ULONGLONG kRequestDeadlineMs =
    kResolveTimeoutMs + kConnectTimeoutMs + kSendTimeoutMs + kAnswerTimeoutMs + kBodyDeadlineMs;
constexpr ULONGLONG kNoDeadline = ~0ull;
static_assert(kRequestDeadlineMs == 100000, "http_problem_text names the request's bound");

// The end of the open HttpBudget (a GetTickCount64 time), or kNoDeadline.
ULONGLONG g_budget_end = kNoDeadline;

ULONGLONG time_left(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return deadline > now ? deadline - now : 0;
}

struct InternetCloser {
    using Handle = HINTERNET;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { WinHttpCloseHandle(h); }
};
using InternetHandle = kvr::Scoped<InternetCloser>;

struct CrackedUrl {
    std::wstring host;
    std::wstring path; // with the query string
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool crack_url(const std::string& url, CrackedUrl& out) {
    const std::wstring wide = kvr::utf8_to_wide(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    // Lengths of -1 ask for pointers into `wide` instead of copies.
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (wide.empty() || !WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return false;
    if (!parts.lpszHostName || parts.dwHostNameLength == 0) return false;
    out.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    if (parts.lpszUrlPath) out.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) out.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (out.path.empty()) out.path = L"/";
    out.port = parts.nPort;
    out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

// A time-out that ends by `deadline` at the latest; WinHTTP takes 0 for "no time-out at all".
int bounded(int ms, ULONGLONG deadline) {
    if (deadline == kNoDeadline) return ms;
    return static_cast<int>(std::clamp<ULONGLONG>(time_left(deadline), 1, ms));
}

// On the request handle: a request takes its session's time-outs when it is opened, so time-outs
// set on the session afterwards never reach it (the connect would keep its 60 s default and the
// name resolution would have none).
void set_timeouts(HINTERNET request, ULONGLONG deadline) {
    const int answer_ms = bounded(kAnswerTimeoutMs, deadline);
    WinHttpSetTimeouts(request, bounded(kResolveTimeoutMs, deadline),
                       bounded(kConnectTimeoutMs, deadline), bounded(kSendTimeoutMs, deadline),
                       answer_ms);
    // Some WinHTTP builds ignore the receive time-out of WinHttpSetTimeouts but honour these.
    DWORD ms = static_cast<DWORD>(answer_ms);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &ms, sizeof ms);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
}

// A redirect is not followed: WinHTTP would follow one to any host, so a server could have the
// run posted to another machine (one on the player's network, say). The 3xx answer goes back to
// the caller as it is, which takes it for no verdict. The redirect policy may be set on a session
// or a request, the disabled feature on a request only; both are set on the request, either one
// is enough, and a request that can have neither is not made.
bool refuse_redirects(HINTERNET request) {
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    const bool policy_set =
        WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
    const bool disabled =
        WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature);
    return policy_set || disabled;
}

int status_code(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return 0;
    return static_cast<int>(status);
}

// Windows reports a time-out as WinHTTP's own error; Wine passes the socket's one through.
bool timed_out(DWORD error) {
    return error == ERROR_WINHTTP_TIMEOUT || error == WSAETIMEDOUT;
}

// The announced body length, when the answer announced one.
bool content_length(HINTERNET request, unsigned long long& length) {
    wchar_t text[32];
    DWORD size = sizeof text;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                             text, &size, WINHTTP_NO_HEADER_INDEX))
        return false;
    wchar_t* end = nullptr;
    length = wcstoull(text, &end, 10);
    return end != text;
}

// Reads the body as it arrives. WinHttpReadData may wait until its whole buffer is filled (it
// does under Wine), so a server sending a byte every few seconds would keep it for hours; each
// wait here is for whatever is available next, bounded by the receive time-out, so the deadline
// is checked at every piece. A body over the cap, past the deadline, or ended before its announced
// length (a read error or an early end of the connection) fails the request: half an answer must
// not pass for a whole one.
HttpProblem read_body(HINTERNET request, ULONGLONG deadline, std::string& body) {
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available))
            return timed_out(GetLastError()) ? HttpProblem::slow_body : HttpProblem::cut_off;
        if (available == 0) break; // the whole body is in
        if (body.size() + available > kMaxResponseBytes) return HttpProblem::too_large;
        const size_t had = body.size();
        body.resize(had + available);
        DWORD got = 0;
        if (!WinHttpReadData(request, body.data() + had, available, &got))
            return timed_out(GetLastError()) ? HttpProblem::slow_body : HttpProblem::cut_off;
        body.resize(had + got);
        if (GetTickCount64() > deadline) return HttpProblem::slow_body;
    }
    unsigned long long announced = 0;
    if (content_length(request, announced) && body.size() < announced) return HttpProblem::cut_off;
    return HttpProblem::none;
}

// WinHTTP's certificate and secure-channel errors: the server is not the one it claims to be, or
// no secure connection could be made with it.
bool secure_failure(DWORD error) {
    switch (error) {
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return true;
    default:
        return false;
    }
}

// A request that failed before the answer's headers: silence, a server that could not be trusted,
// or no connection at all.
HttpProblem failure_before_answer() {
    const DWORD error = GetLastError();
    if (timed_out(error)) return HttpProblem::no_answer;
    return secure_failure(error) ? HttpProblem::untrusted : HttpProblem::unreachable;
}

// One request as the caller asked for it, and what came of it. The caller and the thread that
// makes the request share it; a caller whose budget ran out leaves it to the thread, which ends
// by itself (every wait has its time-out, the body its deadline).
struct Exchange {
    const wchar_t* verb = L"GET";
    std::string url;
    std::optional<std::string> json_body;
    std::string extra_headers;
    ULONGLONG deadline = kNoDeadline;

    std::atomic<bool> answered{false}; // the answer's headers are in
    int status = 0;
    std::string body;
    HttpProblem problem = HttpProblem::unreachable;
};

HttpProblem http_request(Exchange& x) {
    CrackedUrl target;
    if (!crack_url(x.url, target)) return HttpProblem::unreachable;
    InternetHandle session(WinHttpOpen(L"KVR-Race-Launcher/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return HttpProblem::unreachable;
    InternetHandle connection(WinHttpConnect(session.get(), target.host.c_str(), target.port, 0));
    if (!connection) return HttpProblem::unreachable;
    InternetHandle request(WinHttpOpenRequest(
        connection.get(), x.verb, target.path.c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request || !refuse_redirects(request.get())) return HttpProblem::unreachable;
    set_timeouts(request.get(), x.deadline);

    BOOL sent;
    // Every request names the player package, so the server's logs tell which one a player runs.
    std::wstring headers = L"X-KVR-Package: " + kvr::utf8_to_wide(KVR_PACKAGE_VERSION) + L"\r\n";
    if (x.json_body) {
        const std::string& json_body = *x.json_body;
        const DWORD len = static_cast<DWORD>(json_body.size());
        headers += L"Content-Type: application/json\r\n" + kvr::utf8_to_wide(x.extra_headers);
        sent = WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1L),
                                  const_cast<char*>(json_body.data()), len, len, 0);
    } else {
        sent = WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1L),
                                  WINHTTP_NO_REQUEST_DATA, 0, 0, 0);
    }
    if (!sent || !WinHttpReceiveResponse(request.get(), nullptr)) return failure_before_answer();
    x.status = status_code(request.get());
    x.answered = true;
    return read_body(request.get(), std::min(GetTickCount64() + kBodyDeadlineMs, x.deadline),
                     x.body);
}

DWORD WINAPI request_thread(void* param) {
    std::unique_ptr<std::shared_ptr<Exchange>> shared(
        static_cast<std::shared_ptr<Exchange>*>(param));
    Exchange& x = **shared;
    x.problem = http_request(x);
    return 0;
}

// Makes the request on a thread of its own, so the wait ends by the request's bound (or the open
// budget's end, when that comes first) whatever WinHTTP is waiting for: a dripping body, headers
// or handshake, a server that never reads.
HttpProblem run_request(const wchar_t* verb, const std::string& url, const std::string* json_body,
                        std::string& body_out, int* status, const std::string& extra_headers = {}) {
    if (status) *status = 0;
    auto x = std::make_shared<Exchange>();
    x->verb = verb;
    x->url = url;
    if (json_body) x->json_body = *json_body;
    x->extra_headers = extra_headers;
    const bool budgeted = g_budget_end != kNoDeadline;
    x->deadline = std::min(g_budget_end, GetTickCount64() + kRequestDeadlineMs);
    if (time_left(x->deadline) == 0) return HttpProblem::out_of_time;
    // The thread holds its own reference: it may outlive this call.
    auto* ref = new std::shared_ptr<Exchange>(x);
    const kvr::ScopedKernelHandle thread(CreateThread(nullptr, 0, request_thread, ref, 0, nullptr));
    if (!thread) {
        delete ref;
        return HttpProblem::unreachable;
    }
    if (WaitForSingleObject(thread.get(), static_cast<DWORD>(time_left(x->deadline))) !=
        WAIT_OBJECT_0) {
        if (x->answered) return HttpProblem::slow_body;
        return budgeted ? HttpProblem::out_of_time : HttpProblem::overdue;
    }
    if (status) *status = x->status;
    if (x->problem == HttpProblem::none) body_out.append(x->body);
    return x->problem;
}

bool report(HttpProblem problem, HttpProblem* out) {
    if (out) *out = problem;
    return problem == HttpProblem::none;
}

} // namespace

const char* http_problem_text(HttpProblem problem) {
    switch (problem) {
    case HttpProblem::none:
        return "answered";
    case HttpProblem::unreachable:
        return "server unreachable";
    case HttpProblem::no_answer:
        return "no answer within 15 s";
    case HttpProblem::slow_body:
        return "answer too slow";
    case HttpProblem::too_large:
        return "answer over 8 MiB";
    case HttpProblem::cut_off:
        return "connection closed mid-answer";
    case HttpProblem::untrusted:
        return "no trusted secure connection";
    case HttpProblem::out_of_time:
        return "no time left for the server";
    case HttpProblem::overdue:
        return "no whole answer within 100 s";
    }
    return "request failed";
}

bool http_get(const std::string& url, std::string& body_out, int* status, HttpProblem* problem) {
    return report(run_request(L"GET", url, nullptr, body_out, status), problem);
}

bool http_post_json(const std::string& url, const std::string& json_body, std::string& body_out,
                    int* status, HttpProblem* problem, const std::string& extra_headers) {
    return report(run_request(L"POST", url, &json_body, body_out, status, extra_headers), problem);
}

bool download_to_file(const std::string& url, const std::string& path, int* status) {
    int code = 0;
    std::string body;
    const bool got = http_get(url, body, &code);
    if (status) *status = code;
    if (!got || !is_success_status(code)) return false;
    return kvr::write_file(path, body);
}

HttpBudget::HttpBudget(unsigned long milliseconds) {
    g_budget_end = GetTickCount64() + milliseconds;
}

HttpBudget::~HttpBudget() {
    g_budget_end = kNoDeadline;
}
