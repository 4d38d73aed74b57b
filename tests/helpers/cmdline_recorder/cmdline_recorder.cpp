// Test helper: kvr_cmdline_recorder.exe, copied under the name of a program the launcher starts
// (kvr_result.exe, LiveSplit.exe, Hollowmaze-Win64-Shipping.exe).
//
// Appends its whole command line (UTF-8, one line per start) to "<own path without
// .exe>.cmdline.txt". When "<own path without .exe>.stay" exists, it holds how many milliseconds to
// keep running (so the process can be seen running); the program also ends as soon as that file is
// deleted.
#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <cstdlib>
#include <string>
#include <windows.h>

int wmain(int, wchar_t**) {
    wchar_t buf[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
    std::string stem = kvr::wide_to_utf8(std::wstring_view(buf, n));
    if (stem.size() > 4) stem.resize(stem.size() - 4);

    if (FILE* f = kvr::open_file(stem + ".cmdline.txt", "ab")) {
        const std::string line = kvr::wide_to_utf8(GetCommandLineW()) + "\n";
        fwrite(line.data(), 1, line.size(), f);
        fclose(f);
    }
    std::string stay;
    if (!kvr::read_file(stem + ".stay", stay)) return 0;
    const DWORD until =
        GetTickCount() + static_cast<DWORD>(std::strtoul(stay.c_str(), nullptr, 10));
    while (static_cast<LONG>(until - GetTickCount()) > 0 && kvr::path_exists(stem + ".stay"))
        Sleep(50);
    return 0;
}
