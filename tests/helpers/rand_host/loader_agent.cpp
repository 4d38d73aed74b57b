// Test helper: kvr_rand_agent.dll, the mod loader's part that kvr_rand_host.exe --inject puts
// into another running program (the fake game), the way a real loader lives inside the game.
//
// kvr_play_loader(orders) runs on a thread the host creates in that program. The orders are
// lines "key=value": mod=<dll path>, seed=<n> (optional), log=<file>, report=<n> (optional).
// It loads and constructs the mod, starts its Lua side, sets the seed and opens the window from
// the Lua mod's state, and appends the mod's log lines and then "ready" to the log file. With
// report=<n>, a watcher appends every listed site ("caller: <hex key> <calls> <served>"), the
// debug counters ("debug: ...") and "reported" once <n> values were served. The mod stays
// loaded for the rest of the program's life.
#include "mod_host.h"

#include "common/win32/wide.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <windows.h>

namespace {

struct Orders {
    std::wstring mod;
    bool seed_given = false;
    int64_t seed = 0;
    std::wstring log;
    int64_t report = 0;
};

Orders parse(const std::wstring& text) {
    Orders o;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring key = line.substr(0, eq);
        const std::wstring value = line.substr(eq + 1);
        if (key == L"mod") o.mod = value;
        if (key == L"seed") o.seed_given = true, o.seed = wcstoll(value.c_str(), nullptr, 10);
        if (key == L"log") o.log = value;
        if (key == L"report") o.report = wcstoll(value.c_str(), nullptr, 10);
    }
    return o;
}

void append(const std::wstring& path, const std::string& text) {
    if (FILE* f = _wfopen(path.c_str(), L"ab")) {
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
}

std::string numbers(const char* tag, const std::vector<int64_t>& values, bool hex_first) {
    std::string line = tag;
    char text[32];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(text, sizeof text, i == 0 && hex_first ? " %llx" : " %lld",
                      static_cast<long long>(values[i]));
        line += text;
    }
    return line + "\n";
}

void report_when_served(kvr::ModHost* host, Orders orders) {
    for (int i = 0; i < 3000; ++i) {
        if (host->call(0, "GetRandDebug")[1] >= orders.report) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string text;
    for (int64_t index = 0;; ++index) {
        const std::vector<int64_t> site = host->call(0, "GetRandCaller", {index});
        if (site[0] == 0) break;
        text += numbers("caller:", site, true);
    }
    text += numbers("debug:", host->call(0, "GetRandDebug"), false);
    append(orders.log, text + "reported\n");
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI kvr_play_loader(void* parameter) {
    const Orders orders = parse(static_cast<const wchar_t*>(parameter));
    auto* host = new kvr::ModHost(1, 0); // lives as long as the program it was put into
    if (!host->load(orders.mod)) {
        append(orders.log, "error: " + host->error + "\n");
        return 1;
    }
    try {
        host->start();
    } catch (const std::exception& e) {
        append(orders.log, std::string("error: ") + e.what() + "\n");
        return 2;
    }
    host->start_lua();
    if (orders.seed_given) host->call(0, "SetRandSeed", {orders.seed});
    host->call(0, "SetRandWindow", {true});
    std::string text;
    for (const kvr::LoggedLine& line : host->lines())
        text += kvr::wide_to_utf8(line.text);
    append(orders.log, text + "ready\n");
    if (orders.report > 0) std::thread(report_when_served, host, orders).detach();
    return 0;
}
