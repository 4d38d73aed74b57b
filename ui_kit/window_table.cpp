#include "ui_kit/window_table.h"

namespace kvr::ui {

WindowPlace place_window(const ScreenRect& work, int width, int height, Anchor anchor,
                         int top_offset) {
    const int work_width = work.right - work.left;
    const int work_height = work.bottom - work.top;
    WindowPlace p{work.left + (work_width - width) / 2, 0, width, height};
    p.y = anchor == Anchor::centred ? work.top + (work_height - height) / 2 : work.top + top_offset;
    return p;
}

} // namespace kvr::ui
