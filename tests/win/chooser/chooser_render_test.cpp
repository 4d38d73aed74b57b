// The chooser card rendered through the window's paint code for each selection, saved as PNG
// under the build tree (renders/chooser_*.png) and checked pixel by pixel.
#include "chooser/chooser_paint.h"
#include "tests/win/ui_kit/render_check.h"
#include "ui_kit/frame_render.h"
#include "ui_kit/kit.h"

#include <gtest/gtest.h>

using namespace render_check;

namespace {

constexpr int W = 560, H = 500;

std::unique_ptr<Gdiplus::Bitmap> render(const ChooserState& s, bool hot = false,
                                        float scale = 1.0f) {
    ChooserPainter painter;
    return kvr::ui::frame_bitmap(compose_chooser(painter, s, hot, W, H, scale));
}

// A pixel of panel i's fill, between the label and the badge.
Rgba panel_fill(Gdiplus::Bitmap& bmp, int i) {
    return pixel(bmp, 300, 108 + 102 * i + 12);
}

// The selected panel is the one with the strongest yellow fill.
int yellowest_panel(Gdiplus::Bitmap& bmp) {
    int best = -1, best_score = -1000;
    for (int i = 0; i < 3; ++i) {
        const Rgba p = panel_fill(bmp, i);
        if (p.r - p.b > best_score) {
            best_score = p.r - p.b;
            best = i;
        }
    }
    return best;
}

// Pixels clearly warmer (more red than blue) in `a` than in `b`: the ring, a lit button.
int warmer(Gdiplus::Bitmap& a, Gdiplus::Bitmap& b, int x, int y, int w, int h) {
    int n = 0;
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col) {
            const Rgba p = pixel(a, col, row), q = pixel(b, col, row);
            if ((p.r - p.b) - (q.r - q.b) > 25) ++n;
        }
    return n;
}

// First row from the top of the rectangle that holds ink.
int ink_top(Gdiplus::Bitmap& bmp, int x, int y, int w, int h) {
    for (int row = y; row < y + h; ++row)
        if (ink(bmp, x, row, w, 1, 300) > 0) return row;
    return -1;
}

} // namespace

TEST(ChooserRender, EachSelectionHighlightsItsPanelAndBadge) {
    const char* names[] = {"easy", "normal", "nightmare"};
    for (int i = 0; i < 3; ++i) {
        ChooserState s;
        s.selected = i;
        auto bmp = render(s);
        save(*bmp, std::string("chooser_") + names[i]);
        EXPECT_EQ(yellowest_panel(*bmp), i);
        EXPECT_TRUE(is_accent_gold(pixel(*bmp, W / 2, 2)));
        EXPECT_TRUE(corners_transparent(*bmp));
        for (int k = 0; k < 3; ++k) {
            const int y = 108 + 102 * k;
            EXPECT_GT(ink(*bmp, 64, y + 20, 120, 46, 300), 150) << "label of panel " << k;
            EXPECT_GT(ink(*bmp, W - 160, y + 32, 92, 22, 300), 20) << "badge of panel " << k;
        }
    }
    ChooserState s;
    auto bmp = render(s);
    EXPECT_GT(ink(*bmp, 34, 32, 300, 32), 300);          // title
    EXPECT_GT(ink(*bmp, 200, H - 80, 160, 34, 60), 100); // confirm button text
}

TEST(ChooserRender, HoverPulseRingButtonAndSparks) {
    ChooserState s;
    s.selected = 2;
    s.hover = 0;
    s.pulse = 0.6f;
    const kvr::RandomInt rnd = [] { return std::rand(); };
    spawn_choice_sparks(s.particles, 280, 350, rnd);
    for (int i = 0; i < 8; ++i)
        kvr::step_particles(s.particles, 0.016f, 2.56f);
    auto bmp = render(s, true);
    save(*bmp, "chooser_hover_pulse");
    ChooserState calm;
    calm.selected = 2;
    auto still = render(calm);

    // The hovered panel (and its label) is lifted by 2 px.
    EXPECT_EQ(ink_top(*bmp, 64, 110, 120, 80), ink_top(*still, 64, 110, 120, 80) - 2);
    // The ring grows around the selected panel while the pulse lasts.
    const int grow = static_cast<int>(ring_grow(0.6f));
    EXPECT_GT(warmer(*bmp, *still, 150, 312 - grow - 2, 200, 5), 100);
    // The hot button is lighter.
    EXPECT_GT(pixel(*bmp, 60, H - 60).luma(), pixel(*still, 60, H - 60).luma());
}

TEST(ChooserRender, At144DpiTheSameLayoutOneAndAHalfTimesLarger) {
    ChooserState s;
    s.selected = 2;
    auto at_100 = render(s);
    auto at_150 = render(s, false, 1.5f);
    save(*at_150, "chooser_nightmare_144dpi");
    ASSERT_EQ(at_150->GetWidth(), 840u);
    ASSERT_EQ(at_150->GetHeight(), 750u);
    expect_scaled_line(*at_100, *at_150, 34, 30, W - 68, 36);     // the title
    expect_scaled_line(*at_100, *at_150, 64, 108 + 30, 200, 26);  // 简单 on the first panel
    expect_scaled_line(*at_100, *at_150, 34, H - 80, W - 68, 34); // 进入游戏
    // The selection moved with its panel.
    const Rgba p = pixel(*at_150, 300 * 3 / 2, (108 + 204 + 12) * 3 / 2);
    EXPECT_GT(p.r - p.b, 70);
}
