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

ScreenRect work_area() {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

HWND create_card_window(const WindowSpec& row, WNDPROC proc, void* state, UINT class_style) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    register_class(row, proc, instance, class_style);
    const WindowPlace p =
        place_window(work_area(), row.width, row.height, row.anchor, row.top_offset);
    HWND w = CreateWindowExW(extended_styles(row.traits), row.class_name, row.title, WS_POPUP, p.x,
                             p.y, p.width, p.height, nullptr, nullptr, instance, state);
    if (w && (row.traits & kLayered)) SetLayeredWindowAttributes(w, 0, row.alpha, LWA_ALPHA);
    return w;
}

void round_window_corners(HWND window, int width, int height, float radius) {
    // The region comes from the very path the card frame fills, so every pixel it keeps is at
    // least half covered by the card and none of the corner's empty pixels show.
    Gdiplus::GraphicsPath path;
    rounded_rect_path(
        path, Gdiplus::RectF(0, 0, static_cast<float>(width), static_cast<float>(height)), radius);
    Gdiplus::Bitmap scratch(1, 1, PixelFormat32bppARGB);
    Gdiplus::Graphics g(&scratch);
    Gdiplus::Region shape(&path);
    HRGN region = shape.GetHRGN(&g);
    if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
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
