// Borderless layered card windows. Each program keeps one state struct per window and a thin
// window procedure that reaches it through state_of.
#pragma once
#include "ui_kit/window_table.h"

#include <windows.h>

namespace kvr::ui {

// Registers the row's class (a class that already exists is reused) and creates a WS_POPUP
// window at the row's place in the work area, with the row's extended styles and, for layered
// windows, its constant alpha. `state` is handed to the window procedure at WM_NCCREATE.
// Null when the window cannot be created.
// `class_style` adds class styles, such as CS_OWNDC for a window that draws itself many times a
// second and keeps its device context.
HWND create_card_window(const WindowSpec& row, WNDPROC proc, void* state, UINT class_style = 0);

// Clips the window to the card's rounded outline, so the corners outside the card show the
// desktop instead of a square backdrop. Needs GDI+ started.
void round_window_corners(HWND window, int width, int height, float radius);

// The window's state struct: stored on WM_NCCREATE from the creation parameter, read back from
// GWLP_USERDATA for every later message. Null for messages that arrive before WM_NCCREATE.
template <class State> State* state_of(HWND window, UINT message, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Asks for a repaint of the whole client area; no background erase unless asked.
void request_repaint(HWND window, bool erase = false);

// GetMessageW / TranslateMessage / DispatchMessageW until WM_QUIT; returns the quit code.
int run_message_loop();

} // namespace kvr::ui
