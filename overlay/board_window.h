// The leaderboard board's window.
#pragma once
#include <windows.h>

struct Overlay;

// The board's card window, hidden, its animation tick running until it has nothing to move;
// null when the window cannot be created. Call once, on the window thread.
HWND create_board_window(Overlay& o);
