#include "ui_kit/layered_window.h"

#include "ui_kit/shapes.h"

namespace kvr::ui {

namespace {

DWORD extended_styles(unsigned traits) {
    DWORD ex = 0;
    if (traits & kLayered) ex |= WS_EX_LAYERED;
    if (traits & kToolWindow) ex |= WS_EX_TOOLWINDOW;
    if (traits & kTopmost) ex |= WS_EX_TOPMOST;
    if (traits & kClickThrough) ex |= WS_EX_TRANSPARENT;
    if (traits & kNoActivate) ex |= WS_EX_NOACTIVATE;
    return ex;
}

void register_class(const WindowSpec& row, WNDPROC proc, HINSTANCE instance, UINT style) {
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = row.class_name;
    if (row.arrow_cursor) wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc); // fails harmlessly when the class exists already
}

ScreenRect work_area_of(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (monitor && GetMonitorInfoW(monitor, &info))
        r = info.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return {r.left, r.top, r.right, r.bottom};
}

// The DPI the window is drawn for: its monitor's with per-monitor awareness, 96 for a program
// the system scales. GetDpiForWindow exists from Windows 10 1607 on; before, the screen's.
int window_dpi(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto get_dpi = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (get_dpi) return static_cast<int>(get_dpi(window));
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

void round_corners(HWND window, int width, int height, float radius) {
    // The region comes from the very path the card frame fills, so every pixel it keeps is at
    // least half covered by the card and none of the corner's empty pixels show.
    Gdiplus::GraphicsPath path;
    rounded_rect_path(
        path, Gdiplus::RectF(0, 0, static_cast<float>(width), static_cast<float>(height)), radius);
    Gdiplus::Bitmap scratch(1, 1, PixelFormat32bppARGB);
    Gdiplus::Graphics g(&scratch);
    Gdiplus::Region shape(&path);
    HRGN region = shape.GetHRGN(&g);
    // Once set, the region belongs to the system; only a refused one is ours to delete.
    if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

void fit_card(HWND window, const WindowSpec& row, float corner_radius, int dpi,
              const ScreenRect& work) {
    const float scale = card_scale(dpi, work, row);
    const WindowPlace p = place_card(work, row, scale);
    SetWindowPos(window, nullptr, p.x, p.y, p.width, p.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    round_corners(window, p.width, p.height, corner_radius * scale);
}

// WM_DPICHANGED: the new DPI in wparam's low word, the suggested window rectangle in lparam.
void refit_card(HWND window, const WindowSpec& row, float corner_radius, WPARAM wparam,
                LPARAM lparam) {
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    HMONITOR monitor = suggested ? MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST)
                                 : MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    fit_card(window, row, corner_radius, LOWORD(wparam), work_area_of(monitor));
    request_repaint(window);
}

} // namespace

HWND create_card_window(const WindowSpec& row, float corner_radius, WNDPROC proc, void* state,
                        UINT class_style) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    register_class(row, proc, instance, class_style);
    // Placed as laid out on the primary monitor (the one holding the point 0, 0), then sized for
    // the DPI of the monitor the window is on.
    const WindowPlace p =
        place_card(work_area_of(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)), row, 1.0f);
    HWND w = CreateWindowExW(extended_styles(row.traits), row.class_name, row.title, WS_POPUP, p.x,
                             p.y, p.width, p.height, nullptr, nullptr, instance, state);
    if (!w) return nullptr;
    if (row.traits & kLayered) SetLayeredWindowAttributes(w, 0, row.alpha, LWA_ALPHA);
    fit_card(w, row, corner_radius, window_dpi(w),
             work_area_of(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY)));
    return w;
}

LRESULT card_default_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                          const WindowSpec& row, float corner_radius, OnDestroy on_destroy) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_DPICHANGED:
        refit_card(window, row, corner_radius, wparam, lparam);
        return 0;
    case WM_DESTROY:
        if (on_destroy == OnDestroy::stay) break;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

float card_scale_of(HWND window, const WindowSpec& row) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    return width > 0 ? static_cast<float>(width) / static_cast<float>(row.width) : 1.0f;
}

void show_on_top(HWND window) {
    // ShowWindow first: it is what sends WM_SHOWWINDOW (SetWindowPos would show the window
    // without it), then the raise to the top of the topmost band, neither one activating.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void request_repaint(HWND window, bool erase) {
    InvalidateRect(window, nullptr, erase);
}

int run_message_loop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace kvr::ui
