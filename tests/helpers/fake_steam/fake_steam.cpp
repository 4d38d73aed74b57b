// Test helper: steam.exe, the fake Steam client.
//
// Every start appends its whole command line (UTF-8) and a line feed to "steam_calls.txt" next
// to the program, so a scenario can assert exactly how Steam was called. With "-applaunch
// <appid>" it then reads "steam_launch.txt" next to it (UTF-8, key=value lines):
//
//   game=<full path of the game executable>   absent or empty: start nothing (a Steam that
//                                             never brings the game up)
//   delay_ms=<milliseconds>                   wait this long before starting it (default 0)
//   appid=<id>                                start the game only for this id (default: any)
//
// and starts that game with no arguments and its own folder as working directory, as Steam
// does. It exits 0 right after (a real Steam hands the request to its running client and
// returns too). A failed game start is appended to steam_calls.txt as "start failed <error>".
#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/process.h"
#include "common/win32/wide.h"

#include <map>
#include <string>
#include <windows.h>

namespace {

std::map<std::string, std::string> read_settings(const std::string& path) {
    std::map<std::string, std::string> settings;
    std::string text;
    kvr::read_file(path, text);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = kvr::trim(text.substr(pos, end - pos));
        pos = end + 1;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && line[0] != '#')
            settings[kvr::trim(line.substr(0, eq))] = kvr::trim(line.substr(eq + 1));
    }
    return settings;
}

void append_line(const std::string& path, const std::string& line) {
    if (FILE* f = kvr::open_file(path, "ab")) {
        fputs((line + "\n").c_str(), f);
        fclose(f);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::string here = kvr::module_directory();
    const std::string calls = here + "steam_calls.txt";
    append_line(calls, kvr::wide_to_utf8(GetCommandLineW()));

    std::string appid;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wstring(argv[i]) == L"-applaunch") appid = kvr::wide_to_utf8(argv[i + 1]);
    if (appid.empty()) return 0;

    auto settings = read_settings(here + "steam_launch.txt");
    const std::string game = settings["game"];
    if (game.empty() || (!settings["appid"].empty() && settings["appid"] != appid)) return 0;
    Sleep(static_cast<DWORD>(std::strtoul(settings["delay_ms"].c_str(), nullptr, 10)));

    const size_t cut = game.find_last_of("\\/");
    kvr::StartedProcess started;
    if (kvr::start_process("\"" + game + "\"", cut == std::string::npos ? "" : game.substr(0, cut),
                           0, started))
        kvr::close_process(started);
    else
        append_line(calls, "start failed " + std::to_string(started.error));
    return 0;
}
