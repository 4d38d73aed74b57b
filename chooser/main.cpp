// kvr_chooser: the card on which the player picks this week's difficulty. The choice goes to
// choice.txt in the data directory; exit code 0 means a choice was written, 1 that none was.
#include "chooser/chooser_model.h"
#include "chooser/chooser_paint.h"

#include "common/race_names.h"
#include "common/win32/files.h"
#include "ui_kit/animation_steps.h"
#include "ui_kit/frame_render.h"
#include "ui_kit/kit.h"

#include <cstdlib>
#include <windowsx.h>

namespace {

constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationMs = 16;

const kvr::RandomInt kRandom = [] { return std::rand(); };

constexpr const kvr::ui::WindowSpec& kRow = kvr::ui::kChooserWindow;
constexpr auto kWidth = static_cast<float>(kRow.width); // layout size; the window is scaled
constexpr auto kHeight = static_cast<float>(kRow.height);

struct ChooserWindow {
    ChooserState model;
    ChooserPainter painter;
    kvr::ui::AnimationSteps steps;
    std::string choice_path;
    bool written = false;
};

struct LayoutPoint {
    float x, y;
};

// A client point in the card's layout pixels.
LayoutPoint layout_point(HWND window, int x, int y) {
    const float scale = kvr::ui::card_scale_of(window, kRow);
    return {static_cast<float>(x) / scale, static_cast<float>(y) / scale};
}

void confirm(HWND window, ChooserWindow& c) {
    c.model.confirmed = true;
    c.written = kvr::write_file(c.choice_path, kChoices[c.model.selected].name);
    DestroyWindow(window);
}

void act(HWND window, ChooserWindow& c, ChooserAction action) {
    switch (action) {
    case ChooserAction::Repaint:
        kvr::ui::request_repaint(window);
        break;
    case ChooserAction::RepaintErase:
        kvr::ui::request_repaint(window, true);
        break;
    case ChooserAction::Confirm:
        confirm(window, c);
        break;
    case ChooserAction::Close:
        DestroyWindow(window);
        break;
    case ChooserAction::None:
        break;
    }
}

bool cursor_on_confirm(HWND window) {
    POINT p;
    if (!GetCursorPos(&p) || !ScreenToClient(window, &p)) return false;
    const LayoutPoint at = layout_point(window, p.x, p.y);
    return on_confirm(kWidth, kHeight, at.x, at.y);
}

void on_tick(HWND window, ChooserWindow& c) {
    const int steps = kvr::ui::animation_steps_due(c.steps, GetTickCount64());
    for (int i = 0; i < steps; ++i)
        chooser_tick(c.model);
    if (steps > 0) kvr::ui::request_repaint(window);
}

void on_paint(HWND window, ChooserWindow& c) {
    kvr::ui::present_frame(window, compose_chooser(c.painter, c.model, cursor_on_confirm(window),
                                                   kRow.width, kRow.height,
                                                   kvr::ui::card_scale_of(window, kRow)));
}

LRESULT CALLBACK chooser_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    ChooserWindow* c = kvr::ui::state_of<ChooserWindow>(window, message, lparam);
    if (!c) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_KEYDOWN:
        act(window, *c, chooser_key(c->model, static_cast<int>(wparam)));
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
        const LayoutPoint at = layout_point(window, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        act(window, *c,
            message == WM_MOUSEMOVE
                ? chooser_mouse_move(c->model, kWidth, kHeight, at.x, at.y)
                : chooser_click(c->model, kWidth, kHeight, at.x, at.y, kRandom));
        return 0;
    }
    case WM_TIMER:
        if (wparam == kAnimationTimer) on_tick(window, *c);
        return 0;
    case WM_PAINT:
        on_paint(window, *c);
        return 0;
    }
    return kvr::ui::card_default_proc(window, message, wparam, lparam, kRow,
                                      kvr::ui::kChooserFrame.radius, kvr::ui::OnDestroy::quit);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ChooserWindow c;
    // Resolved (and created, parents included) before the card shows, so a confirmed choice
    // always has somewhere to go.
    c.choice_path = kvr::ui::data_path(kvr::race::kChoice);

    kvr::ui::enable_dpi_awareness();
    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    HWND window =
        kvr::ui::create_card_window(kRow, kvr::ui::kChooserFrame.radius, chooser_window_proc, &c);
    if (!window) {
        kvr::ui::stop_gdiplus(gdiplus);
        return 1;
    }
    SetTimer(window, kAnimationTimer, kAnimationMs, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    kvr::ui::run_message_loop();
    kvr::ui::stop_gdiplus(gdiplus);
    // A choice only counts once it is on disk: a confirm whose file could not be written reports
    // no choice rather than success.
    return c.model.confirmed && c.written ? 0 : 1;
}
