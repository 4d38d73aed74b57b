// Test helper: kvr_window_probe.exe <command> <window class> [arguments]
//   state <class>             prints "visible=<0|1> x=<> y=<> w=<> h=<> topmost=<0|1>
//                             active=<0|1> pid=<>" for the first window of the class; exit 1
//                             if there is none
//   wait <class> <0|1> <ms>   waits until the window is hidden (0) or shown (1), then prints
//                             its state; exit 1 when that does not happen within <ms>
//   write-wait <file> <text> <class> <0|1> <ms>
//                             replaces the file with the text (UTF-8, may be empty), then waits
//                             as "wait" does and adds "after=<ms since the write>" to the state
//   key <class> <vk>          posts a key press (WM_KEYDOWN, WM_KEYUP) with a virtual-key code
//   click <class> <x> <y>     posts a mouse move and a left click at client coordinates
//   wheel <class> <delta>     posts a mouse wheel turn (120 per notch, negative scrolls down)
// Input is posted to the window, so it arrives whether or not the window has the focus.
#include <cstdio>
#include <cwchar>
#include <string>
#include <windows.h>

namespace {

int state(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::printf("visible=%d x=%ld y=%ld w=%ld h=%ld topmost=%d active=%d pid=%lu\n",
                IsWindowVisible(w) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
                (ex & WS_EX_TOPMOST) ? 1 : 0, GetForegroundWindow() == w ? 1 : 0, pid);
    return 0;
}

int wait_for(const wchar_t* cls, bool visible, DWORD ms, ULONGLONG since = 0) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        HWND w = FindWindowW(cls, nullptr);
        if (w && (IsWindowVisible(w) != 0) == visible) {
            if (since) std::printf("after=%llu ", GetTickCount64() - since);
            return state(w);
        }
        if (GetTickCount64() > end) {
            if (w) state(w);
            return 1;
        }
        Sleep(10);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring command = argv[1];
    if (command == L"write-wait" && argc >= 7) {
        char text[4096];
        const int n =
            WideCharToMultiByte(CP_UTF8, 0, argv[3], -1, text, sizeof text, nullptr, nullptr);
        FILE* f = _wfopen(argv[2], L"wb");
        if (!f) return 3;
        if (n > 1) fwrite(text, 1, static_cast<size_t>(n - 1), f);
        fclose(f);
        const ULONGLONG written = GetTickCount64();
        return wait_for(argv[4], _wtoi(argv[5]) != 0, static_cast<DWORD>(_wtoi(argv[6])), written);
    }
    if (command == L"wait" && argc >= 5)
        return wait_for(argv[2], _wtoi(argv[3]) != 0, static_cast<DWORD>(_wtoi(argv[4])));
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) {
        std::printf("none\n");
        return 1;
    }
    if (command == L"state") return state(w);
    if (command == L"key" && argc >= 4) {
        const WPARAM vk = static_cast<WPARAM>(_wtoi(argv[3]));
        PostMessageW(w, WM_KEYDOWN, vk, 1);
        PostMessageW(w, WM_KEYUP, vk, 0xC0000001);
        return 0;
    }
    if (command == L"click" && argc >= 5) {
        const LPARAM at = MAKELPARAM(_wtoi(argv[3]), _wtoi(argv[4]));
        PostMessageW(w, WM_MOUSEMOVE, 0, at);
        PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(w, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (command == L"wheel" && argc >= 4) {
        PostMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(_wtoi(argv[3]))), 0);
        return 0;
    }
    return 2;
}
