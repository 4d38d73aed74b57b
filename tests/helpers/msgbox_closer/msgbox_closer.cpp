// Test helper: kvr_msgbox_closer.exe <record-dir> <seconds> [<release-file>]
// Watches for message boxes captioned "KVR 周赛" for the given time. Each one found has its text
// written as UTF-8 to <record-dir>\box<N>.txt (N from 1) and is closed with OK, so a scenario
// can assert the exact text and the program behind the box goes on. With a release file, a box
// is closed only once that file exists: the scenario acts while the box is shown.
#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <set>
#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring window_text(HWND w) {
    wchar_t buf[8192];
    const int n = GetWindowTextW(w, buf, 8192);
    return std::wstring(buf, n > 0 ? n : 0);
}

BOOL CALLBACK collect_boxes(HWND w, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (std::wstring(cls) == L"#32770" && window_text(w) == L"KVR 周赛")
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

// The message text is the longest static control of the box (its id differs between systems).
BOOL CALLBACK longest_static(HWND w, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    auto* best = reinterpret_cast<std::wstring*>(lp);
    if (_wcsicmp(cls, L"Static") == 0) {
        const std::wstring t = window_text(w);
        if (t.size() > best->size()) *best = t;
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::string dir = kvr::wide_to_utf8(argv[1]);
    const DWORD until = GetTickCount() + static_cast<DWORD>(_wtoi(argv[2])) * 1000;
    const std::string release = argc > 3 ? kvr::wide_to_utf8(argv[3]) : std::string();
    kvr::create_directories(dir);
    std::set<HWND> seen;
    int count = 0;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        std::vector<HWND> boxes;
        EnumWindows(collect_boxes, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            if (!IsWindowVisible(box) || seen.count(box)) continue;
            seen.insert(box);
            std::wstring text;
            EnumChildWindows(box, longest_static, reinterpret_cast<LPARAM>(&text));
            kvr::write_file(dir + "\\box" + std::to_string(++count) + ".txt",
                            kvr::wide_to_utf8(text));
            while (!release.empty() && !kvr::path_exists(release) &&
                   static_cast<LONG>(until - GetTickCount()) > 0)
                Sleep(50);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(100);
    }
    return 0;
}
