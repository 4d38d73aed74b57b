// The leaderboard board: a large card shown while board.toggle asks for it. Clicks switch tabs,
// the wheel scrolls, and a 16 ms tick runs the slide, the ring and the sparks.
#include "ui_kit/frame_render.h"
#include "overlay/overlay_app.h"
#include "overlay/overlay_paint.h"
#include "ui_kit/kit.h"

#include <cstdlib>
#include <windowsx.h>

namespace {

// Sparks need no particular generator; the runtime's will do.
const kvr::RandomInt kRandom = [] { return std::rand(); };

struct BoardWindow {
    Overlay* overlay;
    BoardPainter painter; // window thread only
};

struct ClientSize {
    int width, height;
};

ClientSize client_size(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void on_tick(HWND window, Overlay& o) {
    const bool visible = IsWindowVisible(window);
    {
        std::lock_guard<std::mutex> hold(o.lock);
        board_tick(o.board, visible, kRandom);
    }
    if (visible) kvr::ui::request_repaint(window);
}

// The animation runs while the board is shown; a hidden board has no sparks (they are dropped
// on hiding) and nothing to draw, so its tick would only keep the process awake.
void on_show(HWND window, Overlay& o, bool shown) {
    if (shown) {
        SetTimer(window, kBoardAnimationTimer, kBoardAnimationMs, nullptr);
        return;
    }
    KillTimer(window, kBoardAnimationTimer);
    std::lock_guard<std::mutex> hold(o.lock);
    finish_board_animations(o.board);
}

void on_click(HWND window, Overlay& o, LPARAM lparam) {
    const ClientSize c = client_size(window);
    const BoardLayout layout =
        board_layout(static_cast<float>(c.width), static_cast<float>(c.height));
    bool switched;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        switched = board_click(o.board, layout, static_cast<float>(GET_X_LPARAM(lparam)),
                               static_cast<float>(GET_Y_LPARAM(lparam)), kRandom);
    }
    if (switched) kvr::ui::request_repaint(window, true);
}

void on_wheel(HWND window, Overlay& o, WPARAM wparam) {
    {
        std::lock_guard<std::mutex> hold(o.lock);
        board_wheel(o.board, GET_WHEEL_DELTA_WPARAM(wparam));
    }
    kvr::ui::request_repaint(window);
}

void on_paint(HWND window, BoardWindow& w) {
    const ClientSize c = client_size(window);
    BoardView view;
    {
        std::lock_guard<std::mutex> hold(w.overlay->lock);
        view = make_board_view(w.overlay->board, c.width, c.height);
    }
    kvr::ui::present_frame(window, compose_board(w.painter, view, c.width, c.height));
}

LRESULT CALLBACK board_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    BoardWindow* w = kvr::ui::state_of<BoardWindow>(window, message, lparam);
    if (!w) return DefWindowProcW(window, message, wparam, lparam);
    Overlay* o = w->overlay;
    switch (message) {
    case WM_PAINT:
        on_paint(window, *w);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wparam == kBoardAnimationTimer) on_tick(window, *o);
        return 0;
    case WM_SHOWWINDOW:
        on_show(window, *o, wparam != 0);
        break;
    case WM_LBUTTONDOWN:
        on_click(window, *o, lparam);
        return 0;
    case WM_MOUSEWHEEL:
        on_wheel(window, *o, wparam);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace

HWND create_board_window(Overlay& o) {
    static BoardWindow state{&o, {}};
    HWND window = kvr::ui::create_card_window(kvr::ui::kBoardWindow, board_window_proc, &state);
    if (window)
        kvr::ui::round_window_corners(window, kvr::ui::kBoardWindow.width,
                                      kvr::ui::kBoardWindow.height, kvr::ui::kBoardFrame.radius);
    return window;
}
