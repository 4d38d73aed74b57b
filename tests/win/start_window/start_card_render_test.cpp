// The start window's card rendered through the window's own paint code, one PNG per stage.
#include "start_window/launch_progress.h"
#include "start_window/start_card_paint.h"
#include "tests/win/ui_kit/render_check.h"

#include <gtest/gtest.h>

using namespace render_check;

namespace {

constexpr int W = 460, H = 300;

std::unique_ptr<Gdiplus::Bitmap> render_stage(std::string_view stage, int seconds, int phase,
                                              float scale = 1.0f) {
    StartCardView view;
    view.stage = kvr::utf8_to_wide(stage);
    view.footer = kvr::utf8_to_wide(footer_text(seconds * 1000ull));
    view.dot_phase = phase;
    return kvr::ui::render_card(
        W, H, [&](Gdiplus::Graphics& g, int w, int h) { paint_start_card(g, w, h, view); }, scale);
}

// The stage line's rectangle: (0, H/2 - 10, W, 26).
std::pair<int, int> stage_span(Gdiplus::Bitmap& bmp) {
    return ink_span(bmp, 20, H / 2 - 10, W - 40, 26);
}

} // namespace

TEST(StartCard, EveryStageRendersWithFrameTitleStageAndFooter) {
    struct Stage {
        const char* word;
        const char* file;
    } stages[] = {{"checking", "checking"},   {"launching", "launching"}, {"playing", "playing"},
                  {"uploading", "uploading"}, {"done", "done"},           {"", "preparing"}};
    int seconds = 0;
    for (const Stage& s : stages) {
        auto bmp = render_stage(stage_text(s.word), seconds += 7, 1);
        save(*bmp, std::string("start_card_") + s.file);
        SCOPED_TRACE(s.file);
        EXPECT_TRUE(corners_transparent(*bmp));
        EXPECT_TRUE(is_accent_gold(pixel(*bmp, W / 2 - 150, 2)));
        EXPECT_GT(ink(*bmp, 40, 44, W - 80, 40), 400);        // ESCAPE THE HOLLOWMAZE
        EXPECT_GT(faint_ink(*bmp, 100, 84, W - 200, 18), 30); // WEEKLY RACE · FIXED SEED
        EXPECT_GT(ink(*bmp, 20, H / 2 - 10, W - 40, 26), 60);
        EXPECT_GT(faint_ink(*bmp, 100, H - 30, W - 200, 18), 30); // launcher v1 · Ns
        // The stage line is centred.
        const auto [first, last] = stage_span(*bmp);
        EXPECT_NEAR((first + last) / 2.0, W / 2.0, 6);
    }
}

TEST(StartCard, StageLineWidthFollowsItsTextAndEmptyDrawsNothing) {
    auto done = render_stage("Done", 0, 0);
    auto checking = render_stage("Checking game files...", 0, 0);
    auto none = render_stage("", 0, 0);
    const auto d = stage_span(*done), c = stage_span(*checking);
    EXPECT_LT(d.second - d.first, (c.second - c.first) / 3);
    EXPECT_EQ(ink(*none, 20, H / 2 - 10, W - 40, 26), 0);
    auto failed = render_stage("Could not start kvr_launcher_core.exe", 3, 0);
    save(*failed, "start_card_core_missing");
}

TEST(StartCard, OneDotIsLitAndItMovesWithThePhase) {
    for (int phase = 0; phase < 4; ++phase) {
        auto bmp = render_stage("Launching game...", 1, phase);
        for (int k = 0; k < 4; ++k) {
            // Dot k is a 7 x 7 ellipse at (W/2 - 24 + 16k, H/2 + 26); sample its centre.
            const Rgba p = pixel(*bmp, W / 2 - 24 + 16 * k + 3, H / 2 + 26 + 3);
            if (k == phase)
                EXPECT_TRUE(is_accent_gold(p)) << phase << " " << k;
            else
                EXPECT_FALSE(is_accent_gold(p)) << phase << " " << k;
        }
    }
}

TEST(StartCard, FooterCounterChangesTheFooterOnly) {
    auto early = render_stage("Launching game...", 1, 0);
    auto later = render_stage("Launching game...", 88, 0);
    EXPECT_NE(ink_span(*early, 100, H - 30, W - 200, 18, 6, 25),
              ink_span(*later, 100, H - 30, W - 200, 18, 6, 25));
    EXPECT_EQ(stage_span(*early), stage_span(*later));
}

TEST(StartCard, At144DpiTheSameLayoutOneAndAHalfTimesLarger) {
    auto at_100 = render_stage("Launching game...", 12, 2);
    auto at_150 = render_stage("Launching game...", 12, 2, 1.5f);
    save(*at_150, "start_card_launching_144dpi");
    ASSERT_EQ(at_150->GetWidth(), 690u);
    expect_scaled_line(*at_100, *at_150, 20, 44, W - 40, 40);         // the game's title
    expect_scaled_line(*at_100, *at_150, 20, H / 2 - 10, W - 40, 26); // the stage
    EXPECT_TRUE(
        is_accent_gold(pixel(*at_150, (W / 2 - 24 + 32 + 3) * 3 / 2, (H / 2 + 29) * 3 / 2)));
}
