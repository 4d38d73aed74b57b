// What the overlay's two threads share. The worker polls the files and the process list and
// writes the records; the window thread animates, takes input and paints. Every read or write
// of `timer` and `board` holds `lock`, and nothing that waits on the other thread (ShowWindow,
// SetWindowPos) is called while holding it, so neither thread can block the other for longer
// than a copy. Beside it, the ids and periods of the windows' timers and the worker's pass.
#pragma once
#include "overlay/board_model.h"
#include "overlay/overlay_files.h"
#include "overlay/timer_model.h"

#include <mutex>
#include <windows.h>

struct Overlay {
    OverlayFiles files;
    std::mutex lock;
    TimerState timer;
    BoardState board;
    // Set by the window thread before the worker starts, never changed afterwards.
    HWND board_window = nullptr;
    HWND timer_window = nullptr;
    DWORD window_thread = 0;
};

inline constexpr UINT_PTR kBoardAnimationTimer = 1;
inline constexpr UINT kBoardAnimationMs = 16;
inline constexpr UINT_PTR kTimerRefreshTimer = 2;
inline constexpr UINT kTimerRefreshMs = 30;
inline constexpr DWORD kWorkerPassMs = 120;
