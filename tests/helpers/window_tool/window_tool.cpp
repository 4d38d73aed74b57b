// Test helper for the card windows: kvr_window_tool.exe <command> ...
//   state <class>               prints "visible=<0|1> x=<> y=<> w=<> h=<> topmost=<0|1>
//                               active=<0|1> pid=<>" for the first window of the class; exit 1
//                               when there is none
//   wait <class> <0|1> <ms>     waits until the window is hidden (0) or shown (1), then prints
//                               its state; exit 1 when that does not happen within <ms>
//   write-wait <file> <text> <class> <0|1> <ms>
//                               replaces the file with the text (UTF-8, may be empty), then waits
//                               as "wait" does and adds "after=<ms since the write>" to the state
//   rewrite-watch <file> <class> <count> <gap ms>
//                               rewrites the file <count> times the way the in-game script does
//                               (truncate, <gap ms> later the new record) while watching the
//                               window; prints "hidden=<times it was seen hidden>"
//   rect <class> [seconds]      waits up to `seconds` (default 10) for a visible window of the
//                               class and prints "x y width height"; exit 1 when none came
//   click <class> [x y]         a real left click (cursor move, button down, button up) at
//                               client point x, y (default: the centre)
//   key <class> <virtual-key>   posts a key press (down and up) to the window
//   wheel <class> <delta>       posts a mouse wheel turn (120 per notch, negative scrolls down)
//                               click, key and wheel wait up to 10 s for the window to be shown;
//                               exit 1 when it is not
//   backdrop                    a full-screen window in a desktop colour behind everything,
//                               so screenshots show what the cards' corners let through; runs
//                               until killed
// Keys and the wheel are posted to the window, so they arrive whether or not it has the focus.
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <windows.h>

namespace {

int print_state(HWND w) {
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

// The window of the class once it is shown (or hidden), or null after `ms`. Polled every
// millisecond, so a latency measured with it is not rounded up to a coarser poll.
HWND wait_for(const wchar_t* cls, bool visible, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        HWND w = FindWindowW(cls, nullptr);
        if (w && (IsWindowVisible(w) != 0) == visible) return w;
        if (GetTickCount64() > end) return nullptr;
        Sleep(1);
    }
}

int print_when(const wchar_t* cls, bool visible, DWORD ms, ULONGLONG since = 0) {
    HWND w = wait_for(cls, visible, ms);
    if (!w) {
        if (HWND other = FindWindowW(cls, nullptr)) print_state(other);
        return 1;
    }
    if (since) std::printf("after=%llu ", GetTickCount64() - since);
    return print_state(w);
}

bool write_file(const wchar_t* path, const std::string& text) {
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    if (!text.empty()) fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    return true;
}

std::string utf8(const wchar_t* text) {
    char buf[4096];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, sizeof buf, nullptr, nullptr);
    return n > 1 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

int rewrite_watch(const wchar_t* path, const wchar_t* cls, int count, DWORD gap_ms) {
    HWND w = wait_for(cls, true, 5000);
    if (!w) return 1;
    std::atomic<bool> done{false};
    std::atomic<int> hidden{0};
    std::thread watcher([&] {
        bool was_visible = true;
        while (!done) {
            const bool visible = IsWindowVisible(w) != 0;
            if (!visible && was_visible) ++hidden;
            was_visible = visible;
            Sleep(1);
        }
    });
    for (int i = 0; i < count; ++i) {
        write_file(path, "");
        Sleep(gap_ms);
        write_file(path, "1|" + std::to_string(600 + i) + ".25|" + std::to_string(i) + "|Hall");
        // Uneven pauses, so the reader's own passes fall at every point of a rewrite.
        Sleep(90 + static_cast<DWORD>(i * 37 % 110));
    }
    done = true;
    watcher.join();
    std::printf("hidden=%d\n", hidden.load());
    return 0;
}

int print_rect(const wchar_t* cls, int seconds) {
    HWND w = wait_for(cls, true, static_cast<DWORD>(seconds) * 1000);
    if (!w) return 1;
    RECT r;
    GetWindowRect(w, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

void send_button(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

int click(HWND w, int argc, wchar_t** argv) {
    RECT client;
    GetClientRect(w, &client);
    POINT p{client.right / 2, client.bottom / 2};
    if (argc >= 5) p = {_wtoi(argv[3]), _wtoi(argv[4])};
    ClientToScreen(w, &p);
    SetCursorPos(p.x, p.y);
    Sleep(100);
    send_button(MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    send_button(MOUSEEVENTF_LEFTUP);
    return 0;
}

LRESULT CALLBACK backdrop_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        // A dusk gradient in bands, like a desktop wallpaper.
        for (int y = 0; y < r.bottom; y += 4) {
            const int t = y * 255 / (r.bottom > 0 ? r.bottom : 1);
            HBRUSH b = CreateSolidBrush(RGB(38 + t / 8, 52 + t / 10, 74 + t / 12));
            RECT band{0, y, r.right, y + 4};
            FillRect(dc, &band, b);
            DeleteObject(b);
        }
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

int backdrop() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = backdrop_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KVRTestBackdrop";
    RegisterClassW(&wc);
    HWND w =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"backdrop",
                        WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    ShowWindow(w, SW_SHOWNOACTIVATE);
    SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring command = argv[1];
    if (command == L"backdrop") return backdrop();
    if (argc < 3) return 2;
    if (command == L"write-wait" && argc >= 7) {
        if (!write_file(argv[2], utf8(argv[3]))) return 3;
        const ULONGLONG written = GetTickCount64();
        return print_when(argv[4], _wtoi(argv[5]) != 0, static_cast<DWORD>(_wtoi(argv[6])),
                          written);
    }
    if (command == L"rewrite-watch" && argc >= 6)
        return rewrite_watch(argv[2], argv[3], _wtoi(argv[4]), static_cast<DWORD>(_wtoi(argv[5])));
    if (command == L"wait" && argc >= 5)
        return print_when(argv[2], _wtoi(argv[3]) != 0, static_cast<DWORD>(_wtoi(argv[4])));
    if (command == L"rect") return print_rect(argv[2], argc > 3 ? _wtoi(argv[3]) : 10);
    if (command == L"state") {
        HWND w = FindWindowW(argv[2], nullptr);
        if (!w) std::printf("none\n");
        return w ? print_state(w) : 1;
    }
    // Input goes to the window once it is shown, within 10 s.
    HWND w = wait_for(argv[2], true, 10000);
    if (!w) {
        std::printf("no visible window\n");
        if (HWND hidden = FindWindowW(argv[2], nullptr)) print_state(hidden);
        return 1;
    }
    if (command == L"click") return click(w, argc, argv);
    if (command == L"key" && argc >= 4) {
        const WPARAM vk = static_cast<WPARAM>(_wtoi(argv[3]));
        PostMessageW(w, WM_KEYDOWN, vk, 1);
        PostMessageW(w, WM_KEYUP, vk, 0xC0000001);
        return 0;
    }
    if (command == L"wheel" && argc >= 4) {
        PostMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(_wtoi(argv[3]))), 0);
        return 0;
    }
    return 2;
}
