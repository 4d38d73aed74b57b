// The leaderboard board: a large card shown while board.toggle asks for it. Clicks switch tabs,
// the wheel scrolls, and a 16 ms tick runs the slide, the ring and the sparks, shown or not.
#include "overlay/board_window.h"

#include "overlay/overlay_app.h"
#include "overlay/overlay_paint.h"
#include "ui_kit/animation_steps.h"
#include "ui_kit/frame_render.h"
#include "ui_kit/kit.h"

#include <cstdlib>
#include <windowsx.h>

namespace {

// Sparks need no particular generator; the runtime's will do.
const kvr::RandomInt kRandom = [] { return std::rand(); };

constexpr const kvr::ui::WindowSpec& kRow = kvr::ui::kBoardWindow;
constexpr int kWidth = kRow.width; // the card's layout size; the window is that times its scale
constexpr int kHeight = kRow.height;

struct BoardWindow {
    Overlay* overlay;
    BoardPainter painter;          // window thread only
    kvr::ui::AnimationSteps steps; // likewise
    bool ticking = false;
};

// The tick runs whether the board is shown or not, so a slide under way when it is hidden runs
// out as it would have on screen; only a hidden board with nothing left to move lets it rest
// until it is shown again (under Wine every timer message costs a wineserver round trip, and the
// board is hidden for most of a race).
void start_ticking(HWND window, BoardWindow& w) {
    if (w.ticking) return;
    w.steps = {};
    w.ticking = SetTimer(window, kBoardAnimationTimer, kBoardAnimationMs, nullptr) != 0;
}

void on_tick(HWND window, BoardWindow& w) {
    const int steps = kvr::ui::animation_steps_due(w.steps, GetTickCount64());
    if (steps == 0) return;
    const bool visible = IsWindowVisible(window);
    bool rest;
    {
        std::lock_guard<std::mutex> hold(w.overlay->lock);
        for (int i = 0; i < steps; ++i)
            board_tick(w.overlay->board, visible, kRandom);
        rest = !visible && board_at_rest(w.overlay->board);
    }
    if (visible) kvr::ui::request_repaint(window);
    if (rest && KillTimer(window, kBoardAnimationTimer)) w.ticking = false;
}

void on_hide(Overlay& o) {
    std::lock_guard<std::mutex> hold(o.lock);
    board_hidden(o.board);
}

void on_click(HWND window, Overlay& o, LPARAM lparam) {
    const float scale = kvr::ui::card_scale_of(window, kRow);
    const BoardLayout layout = board_layout(kWidth, kHeight);
    bool switched;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        switched = board_click(o.board, layout, static_cast<float>(GET_X_LPARAM(lparam)) / scale,
                               static_cast<float>(GET_Y_LPARAM(lparam)) / scale, kRandom);
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
    BoardView view;
    {
        std::lock_guard<std::mutex> hold(w.overlay->lock);
        view = make_board_view(w.overlay->board, kWidth, kHeight);
    }
    kvr::ui::present_frame(window, compose_board(w.painter, view, kWidth, kHeight,
                                                 kvr::ui::card_scale_of(window, kRow)));
}

LRESULT CALLBACK board_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    BoardWindow* w = kvr::ui::state_of<BoardWindow>(window, message, lparam);
    if (!w) return DefWindowProcW(window, message, wparam, lparam);
    Overlay* o = w->overlay;
    switch (message) {
    case WM_PAINT:
        on_paint(window, *w);
        return 0;
    case WM_TIMER:
        if (wparam == kBoardAnimationTimer) on_tick(window, *w);
        return 0;
    case WM_SHOWWINDOW:
        if (!wparam) on_hide(*o);
        break;
    case WM_WINDOWPOSCHANGED:
        // Sent for every way of showing a window (WM_SHOWWINDOW is not); the default procedure
        // still gets it below.
        if (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_SHOWWINDOW)
            start_ticking(window, *w);
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE; // a click switches a tab; the game keeps the focus
    case WM_LBUTTONDOWN:
        on_click(window, *o, lparam);
        return 0;
    case WM_MOUSEWHEEL:
        on_wheel(window, *o, wparam);
        return 0;
    }
    return kvr::ui::card_default_proc(window, message, wparam, lparam, kRow,
                                      kvr::ui::kBoardFrame.radius, kvr::ui::OnDestroy::stay);
}

} // namespace

HWND create_board_window(Overlay& o) {
    static BoardWindow state{&o, {}, {}};
    HWND window =
        kvr::ui::create_card_window(kRow, kvr::ui::kBoardFrame.radius, board_window_proc, &state);
    if (window) start_ticking(window, state);
    return window;
}
