// The worker thread: follows timer.txt, the board files and board.toggle (each change is seen
// within 120 ms), and the game process about once a second.
#include "overlay/overlay_worker.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "overlay/game_process.h"
#include "overlay/game_watch.h"
#include "overlay/overlay_app.h"
#include "ui_kit/data_files.h"
#include "ui_kit/layered_window.h"

#include <algorithm>

namespace {

// The in-game script rewrites its files by truncating and then writing them, so for a moment a
// file that has content reads empty. An emptied file is read once more this much later before
// it counts as emptied; and after a change notification the reader waits until the directory
// has been this quiet (or the pass is due), so it reads the finished file, not the truncation.
constexpr DWORD kSettleMs = 20;

std::string read_settled(const std::string& path, bool had_content, size_t max_bytes = SIZE_MAX) {
    std::string content = kvr::ui::read_whole_file(path, max_bytes);
    if (content.empty() && had_content) {
        Sleep(kSettleMs);
        content = kvr::ui::read_whole_file(path, max_bytes);
    }
    return content;
}

// A file as a pass last looked at it. Looking (size and time) costs far less than reading, so a
// pass reads a file only when it looks changed, when the folder reported a change, or once a
// second: a rewrite of the same size within the file system's time resolution looks unchanged.
struct Stamp {
    bool exists = false;
    ULONGLONG size = 0, written = 0;
    bool operator==(const Stamp&) const = default;
};

struct Seen {
    Stamp timer, board, demo, toggle;
};

Stamp stamp_of(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(kvr::utf8_to_wide(path).c_str(), GetFileExInfoStandard, &d))
        return {};
    return {true, (ULONGLONG{d.nFileSizeHigh} << 32) | d.nFileSizeLow,
            (ULONGLONG{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime};
}

// Whether the file looks different from the last pass (and notes how it looks now).
bool looks_changed(Stamp& seen, const std::string& path) {
    const Stamp now = stamp_of(path);
    const bool changed = !(now == seen);
    seen = now;
    return changed;
}

void show_or_hide_timer(HWND window, bool want) {
    if (!window) return;
    const bool shown = IsWindowVisible(window);
    if (want && !shown) kvr::ui::show_on_top(window);
    if (!want && shown) ShowWindow(window, SW_HIDE);
}

void poll_timer(Overlay& o) {
    bool enabled, had_content;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        enabled = o.timer.enabled;
        had_content = !o.timer.last_content.empty();
    }
    // A switched-off timer does not even read its file.
    const std::string content = enabled ? read_settled(o.files.timer_text, had_content) : "";
    bool want;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        want = timer_poll(o.timer, content, GetTickCount64());
    }
    show_or_hide_timer(o.timer_window, want);
}

void poll_board_data(Overlay& o, const Stamp& demo) {
    // The demo board, when present, stands in for the real one even while it is empty.
    const std::string& path = demo.exists ? o.files.board_demo_tsv : o.files.board_tsv;
    bool had_content;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        had_content = !o.board.last_content.empty();
    }
    // One byte over the bound tells the model the file was longer than it takes.
    const std::string content = read_settled(path, had_content, kMaxBoardBytes + 1);
    bool changed;
    {
        std::lock_guard<std::mutex> hold(o.lock);
        changed = board_poll(o.board, content);
    }
    if (changed && o.board_window) InvalidateRect(o.board_window, nullptr, TRUE);
}

void poll_board_visibility(Overlay& o) {
    if (!o.board_window) return;
    const bool shown = IsWindowVisible(o.board_window);
    const bool want = switch_file_has(read_settled(o.files.board_toggle, shown), '1');
    // Shown without taking the focus: the game keeps the keyboard, so its F9 still closes the
    // board, and a full-screen game is not minimised by losing activation.
    if (want && !shown)
        kvr::ui::show_on_top(o.board_window);
    else if (!want && shown)
        ShowWindow(o.board_window, SW_HIDE); // the sparks go as it hides
}

// One pass over the files; `read_all` reads them whether they look changed or not.
void run_pass(Overlay& o, Seen& seen, bool read_all) {
    if (looks_changed(seen.timer, o.files.timer_text) || read_all) poll_timer(o);
    const bool demo_changed = looks_changed(seen.demo, o.files.board_demo_tsv);
    const bool board_changed = looks_changed(seen.board, o.files.board_tsv);
    if (demo_changed || board_changed || read_all) poll_board_data(o, seen.demo);
    if (looks_changed(seen.toggle, o.files.board_toggle) || read_all) poll_board_visibility(o);
}

// The files change a few times per segment. The data directory is watched so that a change is
// read as soon as it is complete; and a pass runs at least every 120 ms whatever the watch says,
// since notifications can come late (a write is seen when it reaches the disk) or not at all (a
// share, a file written through another link).
HANDLE watch_directory(const std::string& dir) {
    return FindFirstChangeNotificationW(kvr::utf8_to_wide(dir).c_str(), FALSE,
                                        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                            FILE_NOTIFY_CHANGE_LAST_WRITE);
}

// Sleeps until the directory changed and then went quiet, or until the tick `due`. True when a
// change was reported.
bool wait_for_change(HANDLE& watch, ULONGLONG due) {
    const ULONGLONG now = GetTickCount64();
    if (now >= due) return false;
    if (watch == INVALID_HANDLE_VALUE) {
        Sleep(static_cast<DWORD>(due - now));
        return false;
    }
    if (WaitForSingleObject(watch, static_cast<DWORD>(due - now)) != WAIT_OBJECT_0) return false;
    do {
        // Re-armed before the files are read, so a change made while they are read is not lost.
        if (!FindNextChangeNotification(watch)) {
            FindCloseChangeNotification(watch);
            watch = INVALID_HANDLE_VALUE;
            return true;
        }
    } while (GetTickCount64() < due && WaitForSingleObject(watch, kSettleMs) == WAIT_OBJECT_0);
    return true;
}

// Every so many passes every file is read whatever it looks like (about once a second).
constexpr unsigned kReadAllEvery = 8;

} // namespace

DWORD WINAPI overlay_worker(void* overlay) {
    Overlay& o = *static_cast<Overlay*>(overlay);
    const ULONGLONG start = GetTickCount64();
    GameWatch game;
    HANDLE watch = watch_directory(o.files.dir);
    Seen seen;
    bool notified = false;
    for (unsigned passes = 0;; ++passes) {
        const ULONGLONG pass = GetTickCount64();
        if (game_watch_due(game, pass - start, game_running)) break;
        run_pass(o, seen, notified || passes % kReadAllEvery == 0);
        const ULONGLONG now = GetTickCount64();
        notified =
            wait_for_change(watch, std::min<ULONGLONG>(pass + kWorkerPassMs,
                                                       now + ms_until_check(game, now - start)));
    }
    // End through the window thread, so GDI+ is shut down in order; should that thread not
    // answer, end the process from here.
    PostThreadMessageW(o.window_thread, WM_QUIT, 0, 0);
    Sleep(5000);
    ExitProcess(0);
}
