// The progress card and the three final cards rendered through kvr_result's paint code.
#include "result_card/result_paint.h"
#include "tests/win/ui_kit/render_check.h"
#include "ui_kit/window_table.h"

#include <gtest/gtest.h>

using namespace render_check;

namespace {

const int FW = kvr::ui::kFinalCardWindow.width, FH = kvr::ui::kFinalCardWindow.height;

std::unique_ptr<Gdiplus::Bitmap> render_final(const std::vector<std::string>& args,
                                              int seconds = 45) {
    const FinalCardView view =
        final_card_view(final_card_text(parse_result_options(args)), seconds);
    return kvr::ui::render_card(
        FW, FH, [&](Gdiplus::Graphics& g, int w, int h) { paint_final_card(g, w, h, view); });
}

// The most strongly coloured pixel of the title line, to tell green, red and grey titles apart.
Rgba title_ink(Gdiplus::Bitmap& bmp) {
    Rgba best{0, 0, 0, 0};
    int best_spread = -1;
    for (int y = 50; y < 84; ++y)
        for (int x = 40; x < FW - 40; ++x) {
            const Rgba p = pixel(bmp, x, y);
            const int spread = std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b});
            if (p.luma() < 150 && spread > best_spread) {
                best = p;
                best_spread = spread;
            }
        }
    return best;
}

// The rank pill's fill, sampled inside the pill left of its text.
bool has_rank_pill(Gdiplus::Bitmap& bmp) {
    const Rgba p = pixel(bmp, FW / 2 - 118, 208);
    return p.r > 0xF0 && p.g > 0xD4 && p.g < 0xEA && p.b > 0x98 && p.b < 0xB8;
}

void expect_card_basics(Gdiplus::Bitmap& bmp) {
    EXPECT_TRUE(corners_transparent(bmp));
    EXPECT_TRUE(is_accent_gold(pixel(bmp, 40, 2)));
    EXPECT_TRUE(is_accent_gold(pixel(bmp, static_cast<int>(bmp.GetWidth()) / 2, 3)));
}

} // namespace

TEST(ProgressCard, FrameTextsAndRunningDots) {
    const int W = kvr::ui::kProgressCardWindow.width, H = kvr::ui::kProgressCardWindow.height;
    for (int phase = 0; phase < 4; ++phase) {
        auto bmp = kvr::ui::render_card(W, H, [&](Gdiplus::Graphics& g, int w, int h) {
            paint_progress_card(g, w, h, ProgressCardView{phase});
        });
        if (phase == 0) save(*bmp, "result_progress");
        expect_card_basics(*bmp);
        EXPECT_GT(ink(*bmp, 40, 52, W - 80, 40), 400);          // Uploading result
        EXPECT_GT(ink(*bmp, 40, 96, W - 80, 24), 80);           // Please wait
        EXPECT_GT(ink(*bmp, 40, H - 92, W - 80, 22), 150);      // do not close the launcher
        EXPECT_GT(faint_ink(*bmp, 40, H - 34, W - 80, 18), 60); // the result will show up ...
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(is_accent_gold(pixel(*bmp, W / 2 - 24 + 16 * k + 3, H / 2 + 2 + 3)),
                      k == phase);
    }
}

TEST(FinalCard, UploadedShowsGreenTitleTimeLabelsAndTheRankPill) {
    auto bmp = render_final({"--ok", "1", "--kind", "uploaded", "--total", "754.32", "--difficulty",
                             "nightmare", "--ending", "true", "--rank", "3", "--points", "120",
                             "--msg", "New personal best this week!"});
    save(*bmp, "result_final_uploaded");
    expect_card_basics(*bmp);
    const Rgba title = title_ink(*bmp);
    EXPECT_GT(title.g, title.r + 30);
    EXPECT_GT(ink(*bmp, 60, 90, FW - 120, 62), 1500); // 12:34.32 in large type
    EXPECT_GT(ink(*bmp, 60, 154, FW - 120, 20, 6), 100);
    EXPECT_TRUE(has_rank_pill(*bmp));
    EXPECT_GT(ink(*bmp, FW / 2 - 110, 192, 220, 32, FW / 2 - 126), 300); // Rank #3    +120 pts
    EXPECT_GT(ink(*bmp, 40, 236, FW - 80, 56), 100);                     // the message
    EXPECT_GT(ink(*bmp, 60, FH - 64, FW - 120, 20), 80);                 // close the launcher
    EXPECT_GT(faint_ink(*bmp, 60, FH - 38, FW - 120, 18), 60);           // countdown
}

TEST(FinalCard, FailedShowsRedTitleAndNoRankPill) {
    auto bmp = render_final({"--ok", "0", "--kind", "network", "--total", "612.5", "--difficulty",
                             "normal", "--ending", "main", "--rank", "3"});
    save(*bmp, "result_final_failed");
    expect_card_basics(*bmp);
    const Rgba title = title_ink(*bmp);
    EXPECT_GT(title.r, title.g + 50);
    EXPECT_FALSE(has_rank_pill(*bmp));
    EXPECT_GT(ink(*bmp, 40, 212, FW - 80, 56), 150); // the network message moves up
}

TEST(FinalCard, NoResultShowsAMutedTitleAndPlaceholderTime) {
    auto bmp = render_final({"--ok", "0", "--kind", "unfinished", "--difficulty", "easy",
                             "--ending", "arcade", "--msg", "未检测到通关 - 本局不计入成绩"});
    save(*bmp, "result_final_no_result");
    expect_card_basics(*bmp);
    const Rgba title = title_ink(*bmp);
    EXPECT_LT(std::abs(title.r - title.g), 40); // neither green nor red
    EXPECT_FALSE(has_rank_pill(*bmp));
    EXPECT_GT(ink(*bmp, 40, 212, FW - 80, 56), 150); // Chinese message drawn
    EXPECT_EQ(ink(*bmp, 60, 90, FW - 120, 62), 0);   // the time placeholder is faint
    EXPECT_GT(faint_ink(*bmp, 60, 90, FW - 120, 62), 100);
}

TEST(FinalCard, CountdownChangesOnlyTheLastLine) {
    auto a = render_final({"--ok", "1", "--rank", "1"}, 45);
    auto b = render_final({"--ok", "1", "--rank", "1"}, 7);
    EXPECT_NE(ink_span(*a, 60, FH - 38, FW - 120, 18, 6, 25),
              ink_span(*b, 60, FH - 38, FW - 120, 18, 6, 25));
    EXPECT_EQ(ink(*a, 60, 90, FW - 120, 62), ink(*b, 60, 90, FW - 120, 62));
}
