// Test stand-in for the launcher core, installed as kvr_launcher_core.exe next to the start
// window. It adds how it was started to <exe>.record.txt (UTF-8 lines, one set per start):
//   cwd=<working directory>   cmdline=<command line>
//   show=<show state from the start-up information, or -1 when none was asked for>
//   console=<1 when it has a console window>
// then plays <exe>.steps, one command a line:
//   state <path>   the file that `write` replaces (UTF-8 path)
//   wait <ms>      sleeps
//   write <word>   replaces the state file with the word; \r and \n stand for CR and LF
//   mark           takes the running core's mark, as the real core does for a race run
#include "common/text.h"
#include "common/win32/core_mark.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <string>
#include <windows.h>

namespace {

std::string unescape(const std::string& s) {
    return kvr::replace_all(kvr::replace_all(s, "\\r", "\r"), "\\n", "\n");
}

std::string record() {
    wchar_t cwd[MAX_PATH * 4];
    GetCurrentDirectoryW(MAX_PATH * 4, cwd);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    const int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;
    return "cwd=" + kvr::wide_to_utf8(cwd) + "\ncmdline=" + kvr::wide_to_utf8(GetCommandLineW()) +
           "\nshow=" + std::to_string(show) + "\nconsole=" + (GetConsoleWindow() ? "1" : "0") +
           "\n";
}

} // namespace

int wmain() {
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    const std::string exe = kvr::wide_to_utf8(self);
    std::string records;
    kvr::read_file(exe + ".record.txt", records);
    kvr::write_file(exe + ".record.txt", records + record());

    std::string steps;
    kvr::read_file(exe + ".steps", steps);
    std::string state_path;
    for (std::string_view line : kvr::split(steps, '\n')) {
        const std::string l = kvr::trim_right(line, "\r");
        const size_t blank = l.find(' ');
        const std::string command = l.substr(0, blank);
        const std::string arg = blank == std::string::npos ? "" : l.substr(blank + 1);
        if (command == "state")
            state_path = arg;
        else if (command == "wait")
            Sleep(static_cast<DWORD>(std::stoul(arg)));
        else if (command == "write")
            kvr::write_file(state_path, unescape(arg));
        else if (command == "mark") {
            bool failed = false;
            unsigned long error = 0;
            kvr::take_core_mark(failed, error);
        }
    }
    return 0;
}
