// Test helper: kvr_rand_host.exe, a process that imports the C runtime's rand() and plays the mod
// loader for the rand mod inside itself.
//
//   kvr_rand_host.exe [--mod <dll>] [--seed <n>] [--window 0|1] [--srand <n>] [--draws <k>]
//   kvr_rand_host.exe --inject <program.exe> --agent <dll> --mod <dll> --log <file>
//                     [--seed <n>] [--report <n>]
//
// Loads the mod (default: main.dll beside this program), constructs it, starts its Lua side,
// calls SetRandSeed(<n>) (when given) and SetRandWindow from the Lua mod's state, seeds the C
// runtime with srand (when given), calls rand() <k> times (default 8) from one call site and
// unloads the mod. Prints, UTF-8:
//   the mod's log lines as its output devices received them
//   draws: <v1> <v2> ...
//   caller: <key in hex> <calls> <served>      the first listed site (this program's rand call)
//   debug: <calls> <served> <hooked slots> <sites>
// Exit code 0, or 2 with "error: <text>" when the mod cannot be loaded or constructed.
//
// With --inject, the loader runs inside the running <program.exe> instead (kvr_rand_agent.dll,
// see loader_agent.cpp, which writes the log); the exit code is the agent's, or 3 with
// "error: <text>" when it could not be put there.
#include "mod_host.h"
#include "remote_loader.h"

#include "common/win32/wide.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>
#include <windows.h>

namespace {

// One call instruction for every value: the whole run is one call site of the game.
__attribute__((noinline)) std::vector<int> draw_from_one_site(int count) {
    std::vector<int> values;
#pragma GCC unroll 1
    for (int i = 0; i < count; ++i)
        values.push_back(rand());
    return values;
}

void print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
}

struct Options {
    std::wstring mod = kvr::beside_this_exe(L"main.dll");
    bool seed_given = false;
    long long seed = 0;
    bool window = true;
    bool srand_given = false;
    unsigned srand_seed = 0;
    int draws = 8;
    std::wstring inject;
    std::wstring agent;
    std::wstring log;
    std::wstring report;
};

Options parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring key = argv[i];
        const wchar_t* value = argv[i + 1];
        if (key == L"--mod") o.mod = value;
        if (key == L"--seed") o.seed_given = true, o.seed = wcstoll(value, nullptr, 10);
        if (key == L"--window") o.window = _wtoi(value) != 0;
        if (key == L"--srand") o.srand_given = true, o.srand_seed = wcstoul(value, nullptr, 10);
        if (key == L"--draws") o.draws = _wtoi(value);
        if (key == L"--inject") o.inject = value;
        if (key == L"--agent") o.agent = value;
        if (key == L"--log") o.log = value;
        if (key == L"--report") o.report = value;
    }
    return o;
}

int inject(const Options& o) {
    std::wstring orders = L"mod=" + o.mod + L"\nlog=" + o.log + L"\n";
    if (o.seed_given) orders += L"seed=" + std::to_wstring(o.seed) + L"\n";
    if (!o.report.empty()) orders += L"report=" + o.report + L"\n";
    std::string error;
    const int result = kvr::run_loader_in({o.inject, o.agent, orders}, error);
    if (result < 0) {
        print("error: " + error + "\n");
        return 3;
    }
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = parse(argc, argv);
    if (!options.inject.empty()) return inject(options);
    kvr::ModHost host;
    if (!host.load(options.mod)) {
        print("error: " + host.error + "\n");
        return 2;
    }
    try {
        host.start();
    } catch (const std::exception& e) {
        print(std::string("error: ") + e.what() + "\n");
        return 2;
    }
    host.start_lua();
    if (options.seed_given) host.call(0, "SetRandSeed", {static_cast<int64_t>(options.seed)});
    host.call(0, "SetRandWindow", {options.window});
    if (options.srand_given) srand(options.srand_seed);

    std::string draws = "draws:";
    for (const int v : draw_from_one_site(options.draws)) {
        draws += ' ';
        draws += std::to_string(v);
    }

    for (const kvr::LoggedLine& line : host.lines()) {
        if (!line.with_level) print(kvr::wide_to_utf8(line.text)); // each device got each line
    }
    print(draws + "\n");
    const std::vector<int64_t> caller = host.call(0, "GetRandCaller", {int64_t{0}});
    char text[96];
    std::snprintf(text, sizeof text, "caller: %llx %lld %lld\n",
                  static_cast<unsigned long long>(caller[0]), static_cast<long long>(caller[1]),
                  static_cast<long long>(caller[2]));
    print(text);
    const std::vector<int64_t> debug = host.call(0, "GetRandDebug");
    std::snprintf(text, sizeof text, "debug: %lld %lld %lld %lld\n",
                  static_cast<long long>(debug[0]), static_cast<long long>(debug[1]),
                  static_cast<long long>(debug[2]), static_cast<long long>(debug[3]));
    print(text);
    return 0;
}
