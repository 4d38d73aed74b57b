// The progress card and the three final cards rendered through kvr_result's paint code.
#include "result_card/result_paint.h"
#include "tests/win/ui_kit/render_check.h"
#include "ui_kit/window_table.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace render_check;

namespace {

const int FW = kvr::ui::kFinalCardWindow.width, FH = kvr::ui::kFinalCardWindow.height;

std::unique_ptr<Gdiplus::Bitmap> render_final(const std::vector<std::string>& args,
                                              int seconds = 45, float scale = 1.0f) {
    const FinalCardView view =
        final_card_view(final_card_text(parse_result_options(args)), seconds);
    return kvr::ui::render_card(
        FW, FH, [&](Gdiplus::Graphics& g, int w, int h) { paint_final_card(g, w, h, view); },
        scale);
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
        EXPECT_GT(ink(*bmp, 40, 52, W - 80, 40), 400);     // Uploading result
        EXPECT_GT(ink(*bmp, 40, 96, W - 80, 24), 80);      // Please wait
        EXPECT_GT(ink(*bmp, 40, H - 92, W - 80, 22), 150); // do not close the launcher
        EXPECT_GT(ink(*bmp, 40, H - 36, W - 80, 20), 60);  // the result will show up ...
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
    EXPECT_GT(ink(*bmp, 60, FH - 39, FW - 120, 20), 60);                 // countdown
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
    EXPECT_GT(ink(*bmp, 60, 90, FW - 120, 62), 150); // the empty stopwatch, plainly drawn
}

// Every line of the three final cards and of the progress card stands out from the card by at
// least 4.5 : 1, measured on the renders (the figures are printed for the record).
TEST(ResultCards, EveryLineIsLegibleAgainstTheCard) {
    struct Line {
        const char* what;
        int x, y, w, h, bg_x = 6;
    };
    auto check = [](const char* card, Gdiplus::Bitmap& bmp, std::vector<Line> lines) {
        for (const Line& l : lines) {
            const double ratio = text_contrast(bmp, l.x, l.y, l.w, l.h, l.bg_x);
            std::printf("contrast %-10s %-12s %5.2f : 1\n", card, l.what, ratio);
            EXPECT_GE(ratio, 4.5) << card << " " << l.what;
        }
    };
    const std::vector<Line> common = {
        {"overline", 40, 25, FW - 80, 20},  {"title", 20, 46, FW - 40, 40},
        {"time", 20, 90, FW - 40, 62},      {"labels", 20, 154, FW - 40, 20},
        {"hint", 40, FH - 64, FW - 80, 20}, {"countdown", 40, FH - 39, FW - 80, 20}};
    auto uploaded = render_final({"--ok", "1", "--total", "754.32", "--difficulty", "nightmare",
                                  "--ending", "true", "--rank", "3", "--points", "120", "--msg",
                                  "New personal best this week!"});
    std::vector<Line> lines = common;
    lines.push_back({"rank", FW / 2 - 110, 192, 220, 32, FW / 2 - 118});
    lines.push_back({"message", 36, 236, FW - 72, 56});
    check("uploaded", *uploaded, lines);
    lines = common;
    lines.push_back({"message", 36, 212, FW - 72, 56});
    auto failed = render_final({"--ok", "0", "--kind", "network", "--total", "612.5",
                                "--difficulty", "normal", "--ending", "main"});
    check("failed", *failed, lines);
    auto none = render_final(
        {"--ok", "0", "--kind", "unfinished", "--difficulty", "easy", "--ending", "arcade"});
    check("no_result", *none, lines);

    const int W = kvr::ui::kProgressCardWindow.width, H = kvr::ui::kProgressCardWindow.height;
    auto progress = kvr::ui::render_card(W, H, [&](Gdiplus::Graphics& g, int w, int h) {
        paint_progress_card(g, w, h, ProgressCardView{0});
    });
    check("progress", *progress,
          {{"title", 40, 52, W - 80, 40},
           {"wait", 40, 96, W - 80, 24},
           {"keep open", 40, H - 92, W - 80, 22},
           {"automatic", 40, H - 36, W - 80, 20}});
}

TEST(FinalCard, CountdownChangesOnlyTheLastLine) {
    auto a = render_final({"--ok", "1", "--rank", "1"}, 45);
    auto b = render_final({"--ok", "1", "--rank", "1"}, 7);
    EXPECT_NE(ink_span(*a, 60, FH - 38, FW - 120, 18, 6, 25),
              ink_span(*b, 60, FH - 38, FW - 120, 18, 6, 25));
    EXPECT_EQ(ink(*a, 60, 90, FW - 120, 62), ink(*b, 60, 90, FW - 120, 62));
}

TEST(FinalCard, At144DpiTheSameLayoutOneAndAHalfTimesLarger) {
    const std::vector<std::string> args = {
        "--ok", "1",      "--total", "754.32",   "--difficulty", "nightmare", "--ending",
        "true", "--rank", "3",       "--points", "120",          "--msg",     "New personal best!"};
    auto at_100 = render_final(args);
    auto at_150 = render_final(args, 45, 1.5f);
    save(*at_150, "result_final_uploaded_144dpi");
    ASSERT_EQ(at_150->GetWidth(), 720u);
    ASSERT_EQ(at_150->GetHeight(), 570u);
    EXPECT_TRUE(corners_transparent(*at_150));
    EXPECT_TRUE(is_accent_gold(pixel(*at_150, 60, 4)));
    expect_scaled_line(*at_100, *at_150, 20, 46, FW - 40, 40);      // UPLOADED
    expect_scaled_line(*at_100, *at_150, 20, 90, FW - 40, 62);      // 12:34.32
    expect_scaled_line(*at_100, *at_150, 20, 154, FW - 40, 20);     // NIGHTMARE · TRUE ENDING
    expect_scaled_line(*at_100, *at_150, 40, FH - 39, FW - 80, 20); // countdown
    EXPECT_TRUE(has_rank_pill(*at_100));
    const Rgba pill = pixel(*at_150, (FW / 2 - 118) * 3 / 2, 208 * 3 / 2);
    EXPECT_GT(pill.r, 0xF0); // the rank pill moved with everything else
}
