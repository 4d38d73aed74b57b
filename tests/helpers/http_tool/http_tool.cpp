// Test helper: kvr_http_tool.exe get|post|download <url> <result-file> [<body>|<target-file>]
//
// Makes one request with the launcher's HTTP client and writes to <result-file> a first line
// "ok=<0|1> status=<code> bytes=<body length>" followed by the body as received (for download:
// the line only; the body goes to <target-file>).
#include "launcher_core/server/http_client.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::string verb = kvr::wide_to_utf8(argv[1]);
    const std::string url = kvr::wide_to_utf8(argv[2]);
    const std::string result = kvr::wide_to_utf8(argv[3]);
    const std::string extra = argc > 4 ? kvr::wide_to_utf8(argv[4]) : std::string();
    std::string body;
    int status = 0;
    bool ok = false;
    if (verb == "get")
        ok = http_get(url, body, &status);
    else if (verb == "post")
        ok = http_post_json(url, extra, body, &status);
    else if (verb == "download")
        ok = download_to_file(url, extra, &status);
    else
        return 2;
    const std::string head = "ok=" + std::to_string(ok ? 1 : 0) +
                             " status=" + std::to_string(status) +
                             " bytes=" + std::to_string(body.size()) + "\n";
    kvr::write_file(result, head + body);
    return 0;
}
