// What the overlay's two threads share. The worker polls the files and the process list and
// writes the records; the window thread animates, takes input and paints. Every read or write
// of `timer` and `board` holds `lock`, and nothing that waits on the other thread (ShowWindow,
// SetWindowPos) is called while holding it, so neither thread can block the other for longer
// than a copy.
#pragma once
#include "overlay/board_model.h"
#include "overlay/timer_model.h"

#include <mutex>
#include <string>
#include <windows.h>

inline constexpr wchar_t kGameExe[] = L"Hollowmaze-Win64-Shipping.exe";

struct OverlayFiles {
    std::string dir;
    std::string timer_enabled, timer_text, board_toggle, board_tsv, board_demo_tsv;
};
OverlayFiles overlay_files(); // in the data directory, which it creates

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

HWND create_board_window(Overlay& o);
HWND create_timer_window(Overlay& o);

// The worker thread: follows the data files and the game process until the game has come and
// gone (or never came within five minutes), then ends the window thread's message loop.
DWORD WINAPI overlay_worker(void* overlay);

// Notice mode: one card with `text` until the game runs or three minutes have passed.
int run_notice_mode(const std::wstring& text);

bool game_running();
