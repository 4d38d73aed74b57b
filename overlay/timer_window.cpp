// The timer strip: a click-through card at the top of the screen. The worker parses timer.txt;
// this window only runs the clock on between file updates and draws it.
#include "overlay/timer_window.h"

#include "overlay/overlay_app.h"
#include "overlay/overlay_paint.h"
#include "ui_kit/frame_render.h"
#include "ui_kit/kit.h"

#include <algorithm>

namespace {

constexpr const kvr::ui::WindowSpec& kRow = kvr::ui::kTimerWindow;

// What the strip showed last; a refresh that would draw the same picture skips the repaint.
struct TimerWindow {
    Overlay* overlay;
    TimerView shown;
    TimerPainter painter;
    HDC dc = nullptr; // the window's own (CS_OWNDC), kept for its lifetime
};

TimerView current_view(Overlay& o, bool refresh) {
    std::lock_guard<std::mutex> hold(o.lock);
    if (refresh) timer_refresh(o.timer, GetTickCount64());
    return make_timer_view(o.timer);
}

const kvr::PixelFrame& compose(HWND window, TimerWindow& w) {
    return compose_timer(w.painter, w.shown, kRow.width, kRow.height,
                         kvr::ui::card_scale_of(window, kRow));
}

// The refresh runs 33 times a second for as long as the race lasts, so it draws straight to the
// window's own device context instead of going through an invalidation and WM_PAINT: under Wine
// every one of those steps is a round trip to the wineserver.
void on_refresh(HWND window, TimerWindow& w) {
    const TimerView now = current_view(*w.overlay, true);
    // A hidden strip is painted when it shows.
    if (now == w.shown || !IsWindowVisible(window)) return;
    // Mostly only the time changes; then only its part of the strip is copied.
    const bool time_only = now.running == w.shown.running && now.segment == w.shown.segment;
    w.shown = now;
    const int before = w.painter.time_right;
    const kvr::PixelFrame& frame = compose(window, w);
    kvr::PixelRect part = frame.bounds();
    if (time_only) {
        part = w.painter.time_area;
        part.w = std::max(before, w.painter.time_right) - part.x;
    }
    if (w.dc) kvr::ui::show_frame(w.dc, frame, part);
}

void on_paint(HWND window, TimerWindow& w) {
    w.shown = current_view(*w.overlay, false);
    kvr::ui::present_frame(window, compose(window, w));
}

LRESULT CALLBACK timer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    TimerWindow* w = kvr::ui::state_of<TimerWindow>(window, message, lparam);
    if (!w) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_PAINT:
        on_paint(window, *w);
        return 0;
    case WM_TIMER:
        if (wparam == kTimerRefreshTimer) on_refresh(window, *w);
        return 0;
    }
    return kvr::ui::card_default_proc(window, message, wparam, lparam, kRow,
                                      kvr::ui::kTimerFrame.radius, kvr::ui::OnDestroy::stay);
}

} // namespace

HWND create_timer_window(Overlay& o) {
    static TimerWindow state{&o, {}, {}, nullptr};
    HWND window = kvr::ui::create_card_window(kRow, kvr::ui::kTimerFrame.radius, timer_window_proc,
                                              &state, CS_OWNDC);
    if (window) state.dc = GetDC(window);
    return window;
}
