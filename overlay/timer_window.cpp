// The timer strip: a click-through card at the top of the screen. The worker parses timer.txt;
// this window only runs the clock on between file updates and draws it.
#include "overlay/frame_render.h"
#include "overlay/overlay_app.h"
#include "overlay/overlay_paint.h"
#include "ui_kit/kit.h"

namespace {

// What the strip showed last; a refresh that would draw the same picture skips the repaint.
struct TimerWindow {
    Overlay* overlay;
    TimerView shown;
    TimerPainter painter;
};

TimerView current_view(Overlay& o, bool refresh) {
    std::lock_guard<std::mutex> hold(o.lock);
    if (refresh) timer_refresh(o.timer, GetTickCount64());
    return make_timer_view(o.timer);
}

void on_refresh(HWND window, TimerWindow& w) {
    if (current_view(*w.overlay, true) != w.shown) kvr::ui::request_repaint(window);
}

void on_paint(HWND window, TimerWindow& w) {
    w.shown = current_view(*w.overlay, false);
    RECT r{};
    GetClientRect(window, &r);
    present_frame(window, compose_timer(w.painter, w.shown, r.right - r.left, r.bottom - r.top));
}

LRESULT CALLBACK timer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    TimerWindow* w = kvr::ui::state_of<TimerWindow>(window, message, lparam);
    if (!w) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_PAINT:
        on_paint(window, *w);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wparam == kTimerRefreshTimer) on_refresh(window, *w);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace

HWND create_timer_window(Overlay& o) {
    static TimerWindow state{&o, {}, {}};
    HWND window = kvr::ui::create_card_window(kvr::ui::kTimerWindow, timer_window_proc, &state);
    if (window)
        kvr::ui::round_window_corners(window, kvr::ui::kTimerWindow.width,
                                      kvr::ui::kTimerWindow.height, kvr::ui::kTimerFrame.radius);
    return window;
}
