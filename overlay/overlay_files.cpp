#include "common/win32/process.h"
#include "overlay/overlay_app.h"
#include "ui_kit/data_files.h"

OverlayFiles overlay_files() {
    OverlayFiles f;
    f.board_tsv = kvr::ui::data_path("board.tsv");
    f.board_toggle = kvr::ui::data_path("board.toggle");
    f.board_demo_tsv = kvr::ui::data_path("board.demo.tsv");
    f.timer_enabled = kvr::ui::data_path("timer.enabled");
    f.timer_text = kvr::ui::data_path("timer.txt");
    return f;
}

bool game_running() {
    return kvr::find_process_by_name(kGameExe) != 0;
}
