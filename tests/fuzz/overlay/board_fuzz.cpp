// board.tsv as the worker reads it while the launcher rewrites it: any bytes, cut anywhere.
#include "overlay/board_model.h"

#include "fuzz_check.h"
#include "time_text_check.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    BoardState s;
    s.scroll = 120;
    const bool changed = board_poll(s, content);
    FUZZ_CHECK(changed == !content.empty());
    FUZZ_CHECK(!board_poll(s, content)); // the same content again is no news

    // Every row came from a line of its own.
    size_t rows = s.board.weekly_points.size();
    // Only the lists a tab shows are kept, and none grows past its bound, whatever the file.
    FUZZ_CHECK(s.board.lists.size() <= kDifficultyTabs.size() * (kEndingTabs.size() - 1));
    FUZZ_CHECK(s.board.weekly_points.size() <= kMaxBoardRows);
    for (const auto& [key, list] : s.board.lists) {
        FUZZ_CHECK(key.find('|') != std::string::npos);
        FUZZ_CHECK(list.size() <= kMaxBoardRows);
        rows += list.size();
    }
    FUZZ_CHECK(rows <= static_cast<size_t>(std::count(content.begin(), content.end(), '\n')) + 1);

    const BoardLayout layout = board_layout(1000, 700);
    for (int d = 0; d < 3; ++d) {
        for (int e = 0; e < 4; ++e) {
            s.difficulty_tab = d;
            s.ending_tab = e;
            const std::vector<BoardRow>& shown = rows_to_show(s);
            for (const BoardRow& row : shown) {
                if (!shows_weekly_points(s)) FUZZ_CHECK(is_time_text(row_time_text(row)));
                (void)row_points_text(row);
            }
            s.scroll = 1 << 30;
            clamp_scroll(s, shown.size(), layout.visible_rows_height);
            FUZZ_CHECK(s.scroll >= 0 &&
                       s.scroll <= max_scroll(shown.size(), layout.visible_rows_height));
        }
    }
    (void)week_window_text(s.board);
    return 0;
}
