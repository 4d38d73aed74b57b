#include "overlay/overlay_files.h"

#include "common/race_names.h"
#include "ui_kit/data_files.h"

OverlayFiles overlay_files() {
    OverlayFiles f;
    f.dir = kvr::ui::data_dir();
    f.board_tsv = kvr::ui::data_path(kvr::race::kBoardTable);
    f.board_toggle = kvr::ui::data_path(kvr::race::kBoardToggle);
    f.board_demo_tsv = kvr::ui::data_path(kvr::race::kBoardDemoTable);
    f.timer_enabled = kvr::ui::data_path(kvr::race::kTimerEnabled);
    f.timer_text = kvr::ui::data_path(kvr::race::kTimerText);
    return f;
}
