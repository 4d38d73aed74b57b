// The worker thread: follows timer.txt, the board files and board.toggle (each change is seen
// within 120 ms), and the game process about once a second.
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "overlay/game_watch.h"
#include "overlay/overlay_app.h"
#include "ui_kit/data_files.h"

#include <algorithm>

namespace {

void show_or_hide_timer(HWND window, bool want) {
    if (!window) return;
    const bool shown = IsWindowVisible(window);
    if (want && !shown) ShowWindow(window, SW_SHOWNOACTIVATE);
    if (!want && shown) ShowWindow(window, SW_HIDE);
}

void poll_timer(Overlay& o) {
    bool enabled;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        enabled = o.timer.enabled;
    }
    // A switched-off timer does not even read its file.
    const std::string content = enabled ? kvr::ui::read_whole_file(o.files.timer_text) : "";
    bool want;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        want = timer_poll(o.timer, content, GetTickCount64());
    }
    show_or_hide_timer(o.timer_window, want);
}

void poll_board_data(Overlay& o) {
    // The demo board, when present, stands in for the real one even while it is empty.
    const std::string& path =
        kvr::path_exists(o.files.board_demo_tsv) ? o.files.board_demo_tsv : o.files.board_tsv;
    const std::string content = kvr::ui::read_whole_file(path);
    bool changed;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        changed = board_poll(o.board, content);
    }
    if (changed && o.board_window) InvalidateRect(o.board_window, nullptr, TRUE);
}

void poll_board_visibility(Overlay& o) {
    if (!o.board_window) return;
    const bool want = switch_file_has(kvr::ui::read_whole_file(o.files.board_toggle), '1');
    const bool shown = IsWindowVisible(o.board_window);
    if (want && !shown) {
        ShowWindow(o.board_window, SW_SHOWNORMAL);
        SetWindowPos(o.board_window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    } else if (!want && shown) {
        ShowWindow(o.board_window, SW_HIDE); // the window drops the sparks as it hides
    }
}

// The files change rarely (a few times per segment), but a race lasts long. The data directory
// is watched, so the worker reads the files as soon as something in it changed, and once a
// second regardless in case a change went unnoticed; in between it sleeps. Without a watch it
// reads them every 120 ms. Either way a change shows within 120 ms.
struct DirWatch {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool changed = true; // the first pass reads everything
};

DirWatch watch_directory(const std::string& dir) {
    DirWatch w;
    w.handle = FindFirstChangeNotificationW(kvr::utf8_to_wide(dir).c_str(), FALSE,
                                            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                                FILE_NOTIFY_CHANGE_LAST_WRITE);
    return w;
}

// Sleeps until the directory changes or `ms` have passed.
void wait_for_change(DirWatch& w, uint64_t ms) {
    if (w.handle == INVALID_HANDLE_VALUE) {
        Sleep(static_cast<DWORD>(std::min<uint64_t>(ms, kWorkerPassMs)));
        w.changed = true;
        return;
    }
    if (WaitForSingleObject(w.handle, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return;
    w.changed = true;
    if (!FindNextChangeNotification(w.handle)) {
        FindCloseChangeNotification(w.handle);
        w.handle = INVALID_HANDLE_VALUE;
    }
}

} // namespace

DWORD WINAPI overlay_worker(void* overlay) {
    Overlay& o = *static_cast<Overlay*>(overlay);
    const ULONGLONG start = GetTickCount64();
    GameWatch game;
    DirWatch files = watch_directory(o.files.dir);
    for (;;) {
        const uint64_t now = GetTickCount64() - start;
        const bool checked = ms_until_check(game, now) == 0;
        if (game_watch_due(game, now, game_running)) break;
        if (files.changed || checked) {
            files.changed = false;
            poll_timer(o);
            poll_board_data(o);
            poll_board_visibility(o);
        }
        wait_for_change(files, ms_until_check(game, GetTickCount64() - start));
    }
    // End through the window thread, so GDI+ is shut down in order; should that thread not
    // answer, end the process from here.
    PostThreadMessageW(o.window_thread, WM_QUIT, 0, 0);
    Sleep(5000);
    ExitProcess(0);
}
