// Borderless layered card windows. Each program keeps one state struct per window and a thin
// window procedure that reaches it through state_of.
#pragma once
#include "ui_kit/window_table.h"

#include <windows.h>

namespace kvr::ui {

// Registers the row's class (a class that already exists is reused) and creates a hidden
// WS_POPUP window with the row's extended styles and, for layered windows, its constant alpha;
// then sizes and places it for the DPI of its monitor (window_table.h) and clips it to the
// card's rounded outline (corner radius in layout pixels). `state` is handed to the window
// procedure at WM_NCCREATE. Null when the window cannot be created. `class_style` adds class
// styles, such as CS_OWNDC for a window that draws itself many times a second.
HWND create_card_window(const WindowSpec& row, float corner_radius, WNDPROC proc, void* state,
                        UINT class_style = 0);

// Whether destroying the card ends its thread's message loop: it does for a program that ends
// with its card; the overlay's cards are never destroyed, its loops end by other means.
enum class OnDestroy { quit, stay };

// The end of every card's window procedure: the messages every card answers alike, then the
// default window procedure for the rest.
// - WM_ERASEBKGND is answered without erasing: the card's paint covers every pixel, and an
//   erase before it would flash.
// - WM_DPICHANGED (the player changed the display scale, or the card went to another monitor):
//   the card is sized and placed again for the new DPI on the monitor the system suggests.
// - WM_DESTROY posts WM_QUIT with OnDestroy::quit.
LRESULT card_default_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                          const WindowSpec& row, float corner_radius, OnDestroy on_destroy);

// How many window pixels one layout pixel of the card takes, from the window's size.
float card_scale_of(HWND window, const WindowSpec& row);

// Shows the card above every other topmost window without activating it: the overlay must
// never take the keyboard or the foreground from the game.
void show_on_top(HWND window);

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
