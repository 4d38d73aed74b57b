// The overlay's three cards rendered through the same paint code the windows use, saved as PNG
// under the build tree (renders/overlay_*.png) and checked pixel by pixel.
#include "ui_kit/frame_render.h"
#include "overlay/overlay_paint.h"
#include "tests/win/ui_kit/render_check.h"
#include "ui_kit/kit.h"

#include <gtest/gtest.h>

using namespace render_check;

namespace {

constexpr int kBoardW = 780, kBoardH = 1000;
constexpr int kListX = 18, kFirstRowTop = 240; // list y + 38

std::string board_text() {
    std::string s = "WEEK\t第 23 周\t06-02 ~ 06-08\n";
    const char* names[] = {"Hollow_Runner", "张三", "Mira",  "nightfox", "霜月",  "Pell",
                           "Kestrel",       "Ode",  "Lumen", "Quill",    "Brisk", "Tamsin"};
    for (const char* difficulty : {"easy", "normal", "nightmare"})
        for (const char* ending : {"arcade", "main", "true"})
            for (int i = 0; i < 30; ++i)
                s += std::string("R\t") + difficulty + "\t" + ending + "\t" +
                     std::to_string(i + 1) + "\t" + names[(i + ending[0]) % 12] + "\t" +
                     std::to_string(612.37 + i * 17.4) + "\t" + std::to_string(300 - i * 9) + "\n";
    for (int i = 0; i < 8; ++i)
        s += "S\t" + std::to_string(i + 1) + "\t" + names[i] + "\t" + std::to_string(900 - i * 70) +
             "\n";
    return s;
}

// Through a fresh painter, as the window's first frame, unless one is given.
std::unique_ptr<Gdiplus::Bitmap> render_board(BoardState& s, BoardPainter* painter = nullptr,
                                              float scale = 1.0f) {
    BoardPainter fresh;
    const BoardView v = make_board_view(s, kBoardW, kBoardH);
    return kvr::ui::frame_bitmap(
        compose_board(painter ? *painter : fresh, v, kBoardW, kBoardH, scale));
}

std::unique_ptr<Gdiplus::Bitmap> render_timer(const TimerView& v, float scale = 1.0f) {
    TimerPainter painter;
    return kvr::ui::frame_bitmap(compose_timer(painter, v, 420, 96, scale));
}

std::unique_ptr<Gdiplus::Bitmap> render_notice(const std::wstring& text, float scale = 1.0f) {
    return kvr::ui::render_card(
        680, 146, [&](Gdiplus::Graphics& g, int w, int h) { paint_notice_card(g, w, h, text); },
        scale);
}

// The board file on the 噩梦 / True tabs.
BoardState nightmare_true_board() {
    BoardState s;
    board_poll(s, board_text());
    s.difficulty_tab = 2;
    s.ending_tab = 2;
    return s;
}

// A pixel inside row j's band, right of every column, where only the band is drawn.
Rgba row_band(Gdiplus::Bitmap& bmp, int j, int scroll = 0) {
    return pixel(bmp, kListX + 700, kFirstRowTop + 40 * j - scroll + 20);
}

int diff(const Rgba& a, const Rgba& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Bright orange pixels (sparks) in a rectangle.
int sparks(Gdiplus::Bitmap& bmp, int x, int y, int w, int h) {
    int n = 0;
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col) {
            const Rgba p = pixel(bmp, col, row);
            if (p.r > 235 && p.b < 150 && p.g > 150) ++n;
        }
    return n;
}

// Ink in row j between two x positions (columns), measured against the band at x = 700.
int row_ink(Gdiplus::Bitmap& bmp, int j, int x0, int x1) {
    return ink(bmp, kListX + x0, kFirstRowTop + 40 * j + 9, x1 - x0, 22, kListX + 700);
}

} // namespace

TEST(BoardRender, RowsOnTheFirstTabWithMedalRowsAndAlternateBands) {
    BoardState s;
    board_poll(s, board_text());
    auto bmp = render_board(s);
    save(*bmp, "overlay_board_easy_arcade");

    EXPECT_TRUE(is_accent_gold(pixel(*bmp, kBoardW / 2, 2)));
    const Rgba plain3 = row_band(*bmp, 3), plain5 = row_band(*bmp, 5);
    EXPECT_LE(diff(plain3, plain5), 6); // rows without a band look alike
    const Rgba gold = row_band(*bmp, 0);
    EXPECT_GT(gold.r - gold.b, plain3.r - plain3.b + 30); // warm yellow
    const Rgba silver = row_band(*bmp, 1), bronze = row_band(*bmp, 2);
    EXPECT_LT(silver.r - silver.b, plain3.r - plain3.b); // greyer than the card
    EXPECT_GT(diff(bronze, plain3), 12);
    EXPECT_GT(diff(bronze, silver), 12);
    // Bands on the fifth, seventh, ... rows only.
    EXPECT_GT(diff(row_band(*bmp, 4), plain3), 3);
    EXPECT_GT(diff(row_band(*bmp, 6), plain5), 3);
    EXPECT_LE(diff(row_band(*bmp, 4), row_band(*bmp, 6)), 4);

    EXPECT_GT(row_ink(*bmp, 0, 80, 340), 40);  // player
    EXPECT_GT(row_ink(*bmp, 0, 360, 480), 40); // time column is filled on ending lists
    EXPECT_GT(row_ink(*bmp, 0, 500, 620), 40); // points
    EXPECT_EQ(row_ink(*bmp, 0, 630, 740), 0);
}

TEST(BoardRender, WeeklyPointsTabHasNoTimeAndScrolledListStaysInside) {
    BoardState s;
    board_poll(s, board_text());
    s.ending_tab = kPointsTab;
    auto bmp = render_board(s);
    save(*bmp, "overlay_board_weekly_points");
    EXPECT_GT(row_ink(*bmp, 0, 80, 340), 40);
    EXPECT_EQ(row_ink(*bmp, 0, 360, 480), 0);
    EXPECT_GT(row_ink(*bmp, 0, 500, 620), 40);
    EXPECT_EQ(row_ink(*bmp, 9, 0, 700), 0); // only eight rows

    // A list that may miss rows (the file was cut) ends in a "…" row in the player column.
    s.board.file_cut = true;
    auto cut = render_board(s);
    save(*cut, "overlay_board_cut_list");
    EXPECT_GT(row_ink(*cut, 8, 80, 340), 5);
    EXPECT_EQ(row_ink(*cut, 8, 340, 700), 0);
    EXPECT_EQ(row_ink(*cut, 9, 0, 700), 0);

    BoardState t;
    board_poll(t, board_text());
    t.scroll = 100000; // lowered to the bound while painting
    auto scrolled = render_board(t);
    save(*scrolled, "overlay_board_scrolled_end");
    EXPECT_EQ(t.scroll, max_scroll(30, board_layout(kBoardW, kBoardH).visible_rows_height));
    // Nothing of the rows spills over the column header band or under the footer.
    EXPECT_EQ(ink(*scrolled, kListX + 130, 204, 200, 28, kListX + 700), 0);
    EXPECT_EQ(ink(*scrolled, kListX + 2, 955, 740, 6, kListX + 742), 0);
}

TEST(BoardRender, OtherTabsAndEmptyList) {
    BoardState s = nightmare_true_board();
    auto bmp = render_board(s);
    save(*bmp, "overlay_board_nightmare_true");
    EXPECT_GT(row_ink(*bmp, 0, 80, 340), 40);

    board_poll(s, "WEEK\tW1\tx\nR\tnightmare\ttrue\t1\tSolo\t99\t5\n");
    s.difficulty_tab = 1; // no rows for normal|true
    auto empty = render_board(s);
    save(*empty, "overlay_board_empty_list");
    EXPECT_GT(ink(*empty, kListX + 200, 292, 344, 26, kListX + 700), 80);
    EXPECT_EQ(row_ink(*empty, 0, 0, 700), 0);

    BoardState fresh; // no board file at all: week label "-", no rows
    auto initial = render_board(fresh);
    save(*initial, "overlay_board_no_file");
    EXPECT_GT(ink(*initial, kListX + 200, 292, 344, 26, kListX + 700), 80);
}

TEST(BoardRender, SlideSweepRingAndSparksDrawOverTheList) {
    BoardState s;
    board_poll(s, board_text());
    const BoardLayout l = board_layout(kBoardW, kBoardH);
    const kvr::RandomInt rnd = [] { return std::rand(); };
    board_click(s, l, l.ending_tabs[1].x + 40, l.ending_tabs[1].y + 20, rnd);
    spawn_burst(s.particles, 130, 400, 640, 255, 196, 80, rnd);
    for (int i = 0; i < 6; ++i)
        board_tick(s, true, rnd);
    auto bmp = render_board(s);
    save(*bmp, "overlay_board_tab_switch");
    BoardState still;
    board_poll(still, board_text());
    still.ending_tab = 1;
    auto calm = render_board(still);
    // The sweep warms a band of the list around its moving centre.
    const int cx = static_cast<int>(l.list.x + (1 - s.slide) * l.list.w);
    const int y = kFirstRowTop + 40 * 11 + 30;
    const Rgba swept = pixel(*bmp, cx, y), plain = pixel(*calm, cx, y);
    EXPECT_GT(swept.r - swept.b, plain.r - plain.b + 10);
    // The ring around the clicked tab, grown a few pixels beyond it.
    const int grow = static_cast<int>((1 - s.highlight) * 26);
    const int ring_y = static_cast<int>(l.ending_tabs[1].y) - grow;
    const int tx = static_cast<int>(l.ending_tabs[1].x) + 60;
    EXPECT_GT(diff(pixel(*bmp, tx, ring_y), pixel(*calm, tx, ring_y)), 40);
    // Sparks around the burst point.
    EXPECT_GT(sparks(*bmp, 340, 580, 120, 120), 100);
    EXPECT_EQ(sparks(*calm, 340, 580, 120, 120), 0);
}

TEST(BoardRender, LongNamesStayInTheirColumn) {
    BoardState s;
    board_poll(
        s, "WEEK\tA very long week label that cannot fit\t" + std::string(200, 'w') +
               "\nR\teasy\tarcade\t1\tAn_Extremely_Long_Player_Name_That_Goes_On\t61\t"
               "123456789012345\nR\teasy\tarcade\t2\t非常非常非常非常非常非常长的名字啊\t62\t1\n");
    auto bmp = render_board(s);
    save(*bmp, "overlay_board_long_names");
    for (int j = 0; j < 2; ++j) {
        EXPECT_GT(row_ink(*bmp, j, 80, 340), 200);
        EXPECT_EQ(row_ink(*bmp, j, 341, 358), 0) << "row " << j; // gap before the time column
        EXPECT_EQ(ink(*bmp, kListX + 80, kFirstRowTop + 40 * j + 32, 260, 8, kListX + 700), 0);
    }
    EXPECT_EQ(ink(*bmp, 18, 77, 740, 12), 0); // the week window line does not wrap
}

TEST(TimerRender, RunningAndStoppedStrips) {
    TimerState t;
    timer_poll(t, "1|754.32|4|Sunken Archive", 0);
    timer_refresh(t, 1500);
    TimerView v = make_timer_view(t);
    EXPECT_EQ(v.time, L"12:35.82");
    auto running = render_timer(v);
    save(*running, "overlay_timer_running");
    const Rgba dot = pixel(*running, 23, 27);
    EXPECT_GT(dot.g, dot.r + 40); // green while running
    EXPECT_GT(ink(*running, 38, 8, 240, 44), 400);
    EXPECT_GT(ink(*running, 38, 64, 200, 22), 40);
    EXPECT_TRUE(is_accent_gold(pixel(*running, 210, 1)));
    EXPECT_TRUE(corners_transparent(*running));

    // The time is set from one picture per character; it must sit where DrawString puts it.
    auto direct = kvr::ui::render_card(420, 96, [&](Gdiplus::Graphics& g, int w, int h) {
        kvr::ui::draw_card_frame(g, w, h, kvr::ui::kTimerFrame);
        kvr::ui::draw_text(g, v.time, *kvr::ui::make_font(44, true), Gdiplus::RectF(38, 2, 340, 56),
                           0xFF3C2E1E, kvr::ui::Align::start);
    });
    save(*direct, "overlay_timer_drawstring");
    const auto composed_span = ink_span(*running, 38, 8, 340, 44);
    const auto direct_span = ink_span(*direct, 38, 8, 340, 44);
    EXPECT_NEAR(composed_span.first, direct_span.first, 2);
    EXPECT_NEAR(composed_span.second, direct_span.second, 3);
    EXPECT_NEAR(ink(*running, 38, 8, 340, 44), ink(*direct, 38, 8, 340, 44),
                ink(*direct, 38, 8, 340, 44) / 10);

    timer_poll(t, "1|3600|9|终点|1", 0);
    v = make_timer_view(t);
    EXPECT_EQ(v.time, L"60:00.00");
    auto stopped = render_timer(v);
    save(*stopped, "overlay_timer_stopped");
    const Rgba grey = pixel(*stopped, 23, 27);
    EXPECT_GT(grey.r, grey.g); // the warm grey of a stopped clock
}

TEST(NoticeRender, LongTextIsCutAtTheRightMargin) {
    const std::wstring text =
        L"噩梦 · 真结局 · 这是一段特别特别长的说明文字，用来检查右侧的边界处理";
    auto bmp = render_notice(text);
    save(*bmp, "overlay_notice_long");
    EXPECT_TRUE(is_accent_gold(pixel(*bmp, 340, 1)));
    EXPECT_GT(ink(*bmp, 30, 48, 300, 40), 400);
    EXPECT_GT(ink(*bmp, 500, 48, 150, 40), 100); // fills the line to the margin ...
    EXPECT_EQ(ink(*bmp, 652, 42, 26, 52), 0);    // ... and stops there
    EXPECT_GT(ink(*bmp, 30, 104, 300, 20), 40);

    save(*render_notice(L"普通 · 主线结局"), "overlay_notice");
}

TEST(OverlayRender, At144DpiEveryCardIsTheSameLayoutOneAndAHalfTimesLarger) {
    BoardState s = nightmare_true_board();
    auto board = render_board(s);
    auto board_150 = render_board(s, nullptr, 1.5f);
    save(*board_150, "overlay_board_nightmare_true_144dpi");
    ASSERT_EQ(board_150->GetHeight(), 1500u);
    expect_scaled_line(*board, *board_150, 18, 18, 320, 32);                        // the title
    expect_scaled_line(*board, *board_150, kListX + 80, kFirstRowTop + 49, 260, 22, // row 1
                       kListX + 700);
    EXPECT_TRUE(is_accent_gold(pixel(*board_150, kBoardW * 3 / 4, 3)));
    // Row 3's band at 1.5 times its place; the rows keep their 40-pixel pitch, scaled.
    EXPECT_LE(diff(pixel(*board_150, (kListX + 700) * 3 / 2, (kFirstRowTop + 40 * 2 + 20) * 3 / 2),
                   row_band(*board, 2)),
              12);

    const TimerView timer{true, L"12:12.35", L"段 45  ·  Final Escape"};
    auto strip = render_timer(timer);
    auto strip_150 = render_timer(timer, 1.5f);
    save(*strip_150, "overlay_timer_running_144dpi");
    expect_scaled_line(*strip, *strip_150, 38, 2, 340, 56);  // the time
    expect_scaled_line(*strip, *strip_150, 38, 64, 360, 22); // the segment line

    auto notice = render_notice(L"噩梦 · True 结局");
    auto notice_150 = render_notice(L"噩梦 · True 结局", 1.5f);
    save(*notice_150, "overlay_notice_144dpi");
    expect_scaled_line(*notice, *notice_150, 30, 42, 620, 52);  // the notice text
    expect_scaled_line(*notice, *notice_150, 30, 102, 620, 24); // the hint
}
