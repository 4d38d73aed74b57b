// The timer strip's window.
#pragma once
#include <windows.h>

struct Overlay;

// The strip's card window, hidden; null when the window cannot be created. Call once, on the
// window thread.
HWND create_timer_window(Overlay& o);
