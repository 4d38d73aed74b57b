#include "overlay/overlay_files.h"

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
