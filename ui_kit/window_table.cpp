#include "ui_kit/window_table.h"

#include <algorithm>
#include <cmath>

namespace kvr::ui {

WindowPlace place_window(const ScreenRect& work, int width, int height, Anchor anchor,
                         int top_offset) {
    const int work_width = work.right - work.left;
    const int work_height = work.bottom - work.top;
    WindowPlace p{work.left + (work_width - width) / 2, 0, width, height};
    p.y = anchor == Anchor::centred ? work.top + (work_height - height) / 2 : work.top + top_offset;
    return p;
}

float card_scale(int dpi, const ScreenRect& work, const WindowSpec& row) {
    float scale = dpi > 0 ? static_cast<float>(dpi) / 96.0f : 1.0f;
    const float room_x = static_cast<float>(work.right - work.left) / static_cast<float>(row.width);
    const float room_y = static_cast<float>(work.bottom - work.top) /
                         static_cast<float>(row.height + row.top_offset);
    const float room = std::min(room_x, room_y);
    if (room > 0) scale = std::min(scale, room);
    return scale;
}

int scaled_px(int layout_px, float scale) {
    return static_cast<int>(std::lround(static_cast<float>(layout_px) * scale));
}

WindowPlace place_card(const ScreenRect& work, const WindowSpec& row, float scale) {
    return place_window(work, scaled_px(row.width, scale), scaled_px(row.height, scale), row.anchor,
                        scaled_px(row.top_offset, scale));
}

} // namespace kvr::ui
