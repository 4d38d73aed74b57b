#include "chooser/chooser_model.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

constexpr float W = 560, H = 500;

kvr::RandomInt sequence(std::vector<int> values) {
    auto i = std::make_shared<size_t>(0);
    return [values, i] { return values[(*i)++ % values.size()]; };
}

} // namespace

TEST(ChooserHitAreas, PanelBandsAndConfirmButtonEdges) {
    EXPECT_EQ(panel_at(W, H, 34, 108), 0); // left and top edges are inside
    EXPECT_EQ(panel_at(W, H, 525.9f, 193.9f), 0);
    EXPECT_EQ(panel_at(W, H, 526, 150), -1); // right edge is outside
    EXPECT_EQ(panel_at(W, H, 100, 194), -1); // gap between panels
    EXPECT_EQ(panel_at(W, H, 100, 209.9f), -1);
    EXPECT_EQ(panel_at(W, H, 100, 210), 1);
    EXPECT_EQ(panel_at(W, H, 100, 312), 2);
    EXPECT_EQ(panel_at(W, H, 100, 398), -1);
    EXPECT_EQ(panel_at(W, H, 33.9f, 150), -1);
    EXPECT_TRUE(on_confirm(W, H, 34, H - 92));
    EXPECT_FALSE(on_confirm(W, H, 34, H - 34));
    EXPECT_FALSE(on_confirm(W, H, 300, H - 92.5f));
    EXPECT_EQ(panel_at(W, H, 300, H - 60), -1);
}

TEST(ChooserInput, KeysSelectConfirmAndClose) {
    ChooserState s;
    EXPECT_EQ(kChoices[s.selected].name, std::string("normal"));
    EXPECT_EQ(chooser_key(s, '3'), ChooserAction::RepaintErase);
    EXPECT_EQ(kChoices[s.selected].name, std::string("nightmare"));
    EXPECT_EQ(s.pulse, 1.0f);
    EXPECT_EQ(chooser_key(s, '1'), ChooserAction::RepaintErase);
    EXPECT_EQ(s.selected, 0);
    EXPECT_EQ(chooser_key(s, '4'), ChooserAction::None);
    EXPECT_EQ(chooser_key(s, 'A'), ChooserAction::None);
    EXPECT_EQ(s.selected, 0);
    EXPECT_EQ(chooser_key(s, kKeyEnter), ChooserAction::Confirm);
    EXPECT_EQ(chooser_key(s, kKeyEscape), ChooserAction::Close);
}

TEST(ChooserInput, HoverRepaintsOnlyWhenItChanges) {
    ChooserState s;
    EXPECT_EQ(chooser_mouse_move(s, W, H, 10, 10), ChooserAction::None);
    EXPECT_EQ(chooser_mouse_move(s, W, H, 100, 120), ChooserAction::Repaint);
    EXPECT_EQ(s.hover, 0);
    EXPECT_EQ(chooser_mouse_move(s, W, H, 300, 180), ChooserAction::None);
    EXPECT_EQ(chooser_mouse_move(s, W, H, 300, 220), ChooserAction::Repaint);
    EXPECT_EQ(chooser_mouse_move(s, W, H, 300, 200), ChooserAction::Repaint);
    EXPECT_EQ(s.hover, -1);
}

TEST(ChooserInput, ClicksSelectWithSparksOrConfirm) {
    ChooserState s;
    const auto rnd = sequence({1, 2, 3});
    EXPECT_EQ(chooser_click(s, W, H, 200, 330, rnd), ChooserAction::RepaintErase);
    EXPECT_EQ(s.selected, 2);
    EXPECT_EQ(s.particles.size(), 46u);
    EXPECT_EQ(chooser_click(s, W, H, 5, 5, rnd), ChooserAction::None);
    EXPECT_EQ(s.particles.size(), 46u);
    EXPECT_EQ(chooser_click(s, W, H, 280, H - 60, rnd), ChooserAction::Confirm);
    EXPECT_EQ(s.selected, 2);
}

TEST(ChooserAnimation, PulseRingSparksAndBadge) {
    ChooserState s;
    std::vector<kvr::Particle>& ps = s.particles;
    // angle 0°, speed 150, life 0.45+0.49, size 3+2.9, green 185+49, blue 80+59
    spawn_choice_sparks(ps, 10, 20, sequence({0, 100, 49, 29, 49, 59}));
    ASSERT_EQ(ps.size(), 46u);
    EXPECT_FLOAT_EQ(ps[0].vx, 150);
    EXPECT_FLOAT_EQ(ps[0].vy, -30);
    EXPECT_FLOAT_EQ(ps[0].full_life, 0.94f);
    EXPECT_FLOAT_EQ(ps[0].size, 5.9f);
    EXPECT_EQ(ps[0].g, 234);
    EXPECT_EQ(ps[0].b, 139);

    s.pulse = 1;
    chooser_tick(s);
    EXPECT_FLOAT_EQ(ps[0].x, 10 + 150 * 0.016f);
    EXPECT_FLOAT_EQ(ps[0].vy, -30 + 2.56f);
    EXPECT_NEAR(s.clock, 0.016, 1e-9);
    EXPECT_FLOAT_EQ(s.pulse, 1 - 0.0256f);
    EXPECT_EQ(ring_alpha(1), 150);
    EXPECT_FLOAT_EQ(ring_grow(1), 0);
    EXPECT_FLOAT_EQ(ring_grow(0), 18);
    for (int i = 0; i < 60; ++i)
        chooser_tick(s);
    EXPECT_EQ(s.pulse, 0);
    EXPECT_TRUE(ps.empty()); // 0.94 s of life is gone after 61 ticks
    EXPECT_EQ(badge_border_alpha(0), 132);
}
