#include "start_window/start_card_paint.h"

#include "ui_kit/card_text.h"
#include "ui_kit/shapes.h"

using Gdiplus::RectF;
using kvr::ui::Align;

void paint_start_card(Gdiplus::Graphics& g, int width, int height, const StartCardView& view) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kStartFrame);

    const auto title = kvr::ui::make_font(26, true);
    const auto body = kvr::ui::make_font(15, false);
    const auto small = kvr::ui::make_font(12, false);
    kvr::ui::draw_text(g, L"ESCAPE THE HOLLOWMAZE", *title, RectF(0, 44, w, 40), 0xFF463723,
                       Align::centre, Align::centre);
    kvr::ui::draw_text(g, L"WEEKLY RACE  \u00B7  FIXED SEED", *small, RectF(0, 84, w, 18),
                       0xB4968264, Align::centre, Align::centre);
    kvr::ui::draw_text(g, view.stage, *body, RectF(0, h / 2 - 10, w, 26), 0xFF6E5C46, Align::centre,
                       Align::centre);
    kvr::ui::draw_text(g, view.footer, *small, RectF(0, h - 30, w, 18), 0xA0968269, Align::centre,
                       Align::centre);

    for (int k = 0; k < 4; ++k) {
        const float x = static_cast<float>(width / 2 - 24 + 16 * k);
        kvr::ui::fill_ellipse(g, RectF(x, static_cast<float>(height / 2 + 26), 7, 7),
                              k == view.dot_phase ? 0xFFD69646 : 0x5AD69646);
    }
}
