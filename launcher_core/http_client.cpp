#include "launcher_core/http_client.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <windows.h>
#include <winhttp.h>

#ifndef KVR_PACKAGE_VERSION
#define KVR_PACKAGE_VERSION "dev"
#endif

namespace {

constexpr int kResolveTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kSendTimeoutMs = 15000;
constexpr int kAnswerTimeoutMs = 15000;
constexpr ULONGLONG kBodyDeadlineMs = 60000;

// Closes a WinHTTP handle when the scope ends, on every path.
struct InternetHandle {
    HINTERNET h = nullptr;
    explicit InternetHandle(HINTERNET handle) : h(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (h) WinHttpCloseHandle(h);
    }
    explicit operator bool() const { return h != nullptr; }
};

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

// On the request handle: a request takes its session's time-outs when it is opened, so time-outs
// set on the session afterwards never reach it (the connect would keep its 60 s default and the
// name resolution would have none).
void set_timeouts(HINTERNET request) {
    WinHttpSetTimeouts(request, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                       kAnswerTimeoutMs);
    // Some WinHTTP builds ignore the receive time-out of WinHttpSetTimeouts but honour these.
    DWORD ms = kAnswerTimeoutMs;
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &ms, sizeof ms);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
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

// Appends the body in 8 KiB reads. A body over the cap, past the deadline, or ended before its
// announced length (a read error or an early end of the connection) fails the request: half an
// answer must not pass for a whole one.
HttpProblem read_body(HINTERNET request, std::string& body) {
    const ULONGLONG start = GetTickCount64();
    char buf[8192];
    for (;;) {
        DWORD got = 0;
        if (!WinHttpReadData(request, buf, sizeof buf, &got))
            return timed_out(GetLastError()) ? HttpProblem::slow_body : HttpProblem::cut_off;
        if (got == 0) break;
        if (body.size() + got > kMaxResponseBytes) return HttpProblem::too_large;
        body.append(buf, got);
        if (GetTickCount64() - start > kBodyDeadlineMs) return HttpProblem::slow_body;
    }
    unsigned long long announced = 0;
    if (content_length(request, announced) && body.size() < announced) return HttpProblem::cut_off;
    return HttpProblem::none;
}

// A request that failed before the answer's headers: silence, or no connection at all.
HttpProblem failure_before_answer() {
    return timed_out(GetLastError()) ? HttpProblem::no_answer : HttpProblem::unreachable;
}

HttpProblem http_request(const wchar_t* verb, const std::string& url, const std::string* json_body,
                         std::string& body_out, int* status,
                         const std::string& extra_headers = {}) {
    if (status) *status = 0;
    CrackedUrl target;
    if (!crack_url(url, target)) return HttpProblem::unreachable;
    InternetHandle session(WinHttpOpen(L"KVR-Race-Launcher/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return HttpProblem::unreachable;
    InternetHandle connection(WinHttpConnect(session.h, target.host.c_str(), target.port, 0));
    if (!connection) return HttpProblem::unreachable;
    InternetHandle request(WinHttpOpenRequest(connection.h, verb, target.path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return HttpProblem::unreachable;
    set_timeouts(request.h);

    BOOL sent;
    // Every request names the player package, so the server's logs tell which one a player runs.
    std::wstring headers = L"X-KVR-Package: " + kvr::utf8_to_wide(KVR_PACKAGE_VERSION) + L"\r\n";
    if (json_body) {
        const DWORD len = static_cast<DWORD>(json_body->size());
        headers += L"Content-Type: application/json\r\n" + kvr::utf8_to_wide(extra_headers);
        sent = WinHttpSendRequest(request.h, headers.c_str(), static_cast<DWORD>(-1L),
                                  const_cast<char*>(json_body->data()), len, len, 0);
    } else {
        sent = WinHttpSendRequest(request.h, headers.c_str(), static_cast<DWORD>(-1L),
                                  WINHTTP_NO_REQUEST_DATA, 0, 0, 0);
    }
    if (!sent || !WinHttpReceiveResponse(request.h, nullptr)) return failure_before_answer();
    if (status) *status = status_code(request.h);
    std::string body;
    if (const HttpProblem problem = read_body(request.h, body); problem != HttpProblem::none)
        return problem;
    body_out.append(body);
    return HttpProblem::none;
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
    }
    return "request failed";
}

bool http_get(const std::string& url, std::string& body_out, int* status, HttpProblem* problem) {
    return report(http_request(L"GET", url, nullptr, body_out, status), problem);
}

bool http_post_json(const std::string& url, const std::string& json_body, std::string& body_out,
                    int* status, HttpProblem* problem, const std::string& extra_headers) {
    return report(http_request(L"POST", url, &json_body, body_out, status, extra_headers), problem);
}

bool download_to_file(const std::string& url, const std::string& path, int* status) {
    int code = 0;
    std::string body;
    const bool got = http_get(url, body, &code);
    if (status) *status = code;
    if (!got || !is_success_status(code)) return false;
    return kvr::write_file(path, body);
}
