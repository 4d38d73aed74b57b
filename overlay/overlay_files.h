// The data files the overlay follows.
#pragma once
#include <string>

struct OverlayFiles {
    std::string dir;
    std::string timer_enabled, timer_text, board_toggle, board_tsv, board_demo_tsv;
};

// Their full paths in the data directory, which it creates.
OverlayFiles overlay_files();
