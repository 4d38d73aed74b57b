#include "common/win32/process.h"
#include "overlay/overlay_app.h"
#include "ui_kit/data_files.h"

OverlayFiles overlay_files() {
    OverlayFiles f;
    f.dir = kvr::ui::data_dir();
    f.board_tsv = kvr::ui::data_path("board.tsv");
    f.board_toggle = kvr::ui::data_path("board.toggle");
    f.board_demo_tsv = kvr::ui::data_path("board.demo.tsv");
    f.timer_enabled = kvr::ui::data_path("timer.enabled");
    f.timer_text = kvr::ui::data_path("timer.txt");
    return f;
}

// Once the game is found its process is held open: asking whether it has ended is far cheaper
// than a snapshot of every process, which under Wine reads /proc for every thread on the machine.
// Called from one thread only (the worker, or the notice loop).
bool game_running() {
    static HANDLE game = nullptr;
    if (game) {
        if (WaitForSingleObject(game, 0) == WAIT_TIMEOUT) return true;
        CloseHandle(game);
        game = nullptr;
    }
    const unsigned long pid = kvr::find_process_by_name(kGameExe);
    if (pid == 0) return false;
    game = OpenProcess(SYNCHRONIZE, FALSE, pid);
    return true;
}
