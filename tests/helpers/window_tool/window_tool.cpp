// Test helper for the card windows: kvr_window_tool.exe <command> ...
//   rect <class> [seconds]      waits up to `seconds` (default 10) for a visible window of the
//                               class and prints "x y width height"; exit 1 when none came
//   click <class> [x y]         a real left click (cursor move, button down, button up) at
//                               client point x, y (default: the centre); exit 1 without window
//   key <class> <virtual-key>   posts a key press to the window
//   backdrop                    a full-screen window in a desktop colour behind everything,
//                               so screenshots show what the cards' corners let through; runs
//                               until killed
#include <cstdio>
#include <string>
#include <windows.h>

namespace {

HWND wait_for_window(const wchar_t* cls, int seconds) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    for (;;) {
        HWND w = FindWindowW(cls, nullptr);
        if (w && IsWindowVisible(w)) return w;
        if (GetTickCount64() > until) return nullptr;
        Sleep(50);
    }
}

int print_rect(const wchar_t* cls, int seconds) {
    HWND w = wait_for_window(cls, seconds);
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

int click(const wchar_t* cls, int argc, wchar_t** argv) {
    HWND w = wait_for_window(cls, 10);
    if (!w) return 1;
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

int key(const wchar_t* cls, const wchar_t* vk) {
    HWND w = wait_for_window(cls, 10);
    if (!w) return 1;
    PostMessageW(w, WM_KEYDOWN, static_cast<WPARAM>(_wtoi(vk)), 0);
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
    if (command == L"rect") return print_rect(argv[2], argc > 3 ? _wtoi(argv[3]) : 10);
    if (command == L"click") return click(argv[2], argc, argv);
    if (command == L"key" && argc > 3) return key(argv[2], argv[3]);
    return 2;
}
