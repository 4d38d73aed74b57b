#include "overlay/board_model.h"

#include <gtest/gtest.h>

namespace {

// A fixed cycle of "random" numbers, so spawned particles can be predicted.
kvr::RandomInt sequence(std::vector<int> values) {
    auto i = std::make_shared<size_t>(0);
    return [values, i] { return values[(*i)++ % values.size()]; };
}

std::string thirty_rows() {
    std::string s = "WEEK\tW12\t06-01 ~ 06-08\n";
    for (int i = 1; i <= 30; ++i)
        s += "R\teasy\tarcade\t" + std::to_string(i) + "\tp" + std::to_string(i) + "\t" +
             std::to_string(60 + i) + ".5\t" + std::to_string(100 - i) + "\n";
    return s;
}

} // namespace

TEST(BoardParse, FieldCountsKindsAndListKeys) {
    const ParsedBoard b = parse_board("R\teasy\tmain\t1\tAda\t75.5\t120\n"
                                      "R\teasy\tmain\t2\tBob\t80\n" // six fields: ignored
                                      "WEEK\tonly-two\n"            // two fields: ignored
                                      "X\ta\tb\tc\td\te\tf\n"       // unknown kind
                                      "r\teasy\tmain\t9\tlow\t1\t1\n"
                                      "R\teasy\tmain\t\t\t\t\textra\n" // empty fields kept
                                      "S\t1\tCyd\t300\n"
                                      "S\t2\tDee\n"
                                      "R\tnightmare\ttrue\t1\t张三\t3600\t50\n");
    EXPECT_EQ(b.week_label, "-");
    EXPECT_EQ(b.week_window, "");
    ASSERT_EQ(b.lists.size(), 2u);
    const auto& easy = b.lists.at("easy|main");
    ASSERT_EQ(easy.size(), 2u);
    EXPECT_EQ(easy[0].player, "Ada");
    EXPECT_EQ(easy[0].time, "75.5");
    EXPECT_EQ(easy[0].points, "120");
    EXPECT_EQ(easy[1].rank, "");
    EXPECT_EQ(b.lists.at("nightmare|true")[0].player, "张三");
    ASSERT_EQ(b.weekly_points.size(), 1u);
    EXPECT_EQ(b.weekly_points[0].points, "300");
    EXPECT_EQ(b.weekly_points[0].time, "");
}

TEST(BoardParse, CrLfBlankLinesAndTheLastWeekLine) {
    const std::string lf = "WEEK\tW1\tA\n\nR\teasy\tarcade\t1\tAda\t75.5\t10\nWEEK\tW2\tB\n";
    const std::string crlf = "WEEK\tW1\tA\r\n\r\nR\teasy\tarcade\t1\tAda\t75.5\t10\r\nWEEK\tW2\tB";
    for (const std::string& text : {lf, crlf}) {
        const ParsedBoard b = parse_board(text);
        EXPECT_EQ(b.week_label, "W2");
        EXPECT_EQ(b.week_window, "B");
        EXPECT_EQ(b.lists.at("easy|arcade")[0].points, "10");
    }
    // Only one CR is dropped, and only at the end of a line.
    EXPECT_EQ(parse_board("WEEK\tW\tx\r\r\n").week_window, "x\r");
}

TEST(BoardParse, AFileAsBigAsADownloadIsTakenWithinBoundsAndShowsItsCut) {
    std::string empty_rows; // 8 MiB, the download cap
    while (empty_rows.size() < (8u << 20))
        empty_rows += "R\teasy\tmain\t\t\t\t\nR\tx\ty\t\t\t\t\n";
    BoardState s;
    board_poll(s, empty_rows);
    s.ending_tab = 1; // easy|main
    EXPECT_EQ(rows_to_show(s).size(), kMaxBoardRows);
    EXPECT_EQ(s.board.lists.size(), 1u); // "x|y" has no tab: not kept
    EXPECT_TRUE(shown_list_is_cut(s));
    s.ending_tab = 0;
    EXPECT_TRUE(shown_list_is_cut(s)); // the file was cut: any list may miss rows

    // Within the bytes read, the line the bound cuts in two is dropped.
    const std::string first = "S\t1\tA\t5\n";
    const std::string last = "S\t2\tcut\t4\n";
    const std::string text = first + std::string(kMaxBoardBytes - first.size() - 3, '\n') + last;
    s.board = parse_board(text);
    s.ending_tab = kPointsTab;
    ASSERT_EQ(rows_to_show(s).size(), 1u);
    EXPECT_TRUE(shown_list_is_cut(s));
    s.board = parse_board(text.substr(0, kMaxBoardBytes));
    EXPECT_FALSE(shown_list_is_cut(s));
}

TEST(BoardPoll, ChangesPlaceholdersAndScrollReset) {
    BoardState s;
    EXPECT_FALSE(board_poll(s, "")); // missing from the start: initial texts stay
    EXPECT_EQ(s.board.week_label, "-");

    s.scroll = 200;
    EXPECT_TRUE(board_poll(s, "WEEK\tW5\tMon\nR\teasy\tarcade\t1\tA\t1\t1\n"));
    EXPECT_EQ(s.board.week_label, "W5");
    EXPECT_EQ(s.scroll, 0);
    s.scroll = 80;
    EXPECT_FALSE(board_poll(s, "WEEK\tW5\tMon\nR\teasy\tarcade\t1\tA\t1\t1\n"));
    EXPECT_EQ(s.scroll, 80);

    // Emptied after content: placeholders once, lists kept, and the list can be scrolled.
    EXPECT_TRUE(board_poll(s, ""));
    EXPECT_EQ(s.board.week_label, "无数据");
    EXPECT_EQ(week_window_text(s.board), "窗口 请先运行启动器同步");
    EXPECT_EQ(rows_to_show(s).size(), 1u);
    s.scroll = 40;
    EXPECT_FALSE(board_poll(s, ""));
    EXPECT_EQ(s.scroll, 40);
    // The same content written back replaces the placeholders again.
    EXPECT_TRUE(board_poll(s, "WEEK\tW5\tMon\nR\teasy\tarcade\t1\tA\t1\t1\n"));
    EXPECT_EQ(s.board.week_label, "W5");

    // New content without a WEEK line resets the week texts.
    board_poll(s, "S\t1\tA\t5\n");
    EXPECT_EQ(s.board.week_label, "-");
    EXPECT_TRUE(s.board.lists.empty());
}

TEST(BoardRows, SelectedTabsPickTheListAndPointsTabHasNoTime) {
    BoardState s;
    s.board = parse_board("R\tnormal\ttrue\t1\tA\t61\t9\nS\t1\tB\t42\nS\t2\tC\t41\n");
    EXPECT_TRUE(rows_to_show(s).empty()); // easy|arcade absent
    s.difficulty_tab = 1;
    s.ending_tab = 2;
    ASSERT_EQ(rows_to_show(s).size(), 1u);
    EXPECT_EQ(row_time_text(rows_to_show(s)[0]), "01:01.00");
    s.ending_tab = kPointsTab;
    EXPECT_TRUE(shows_weekly_points(s));
    ASSERT_EQ(rows_to_show(s).size(), 2u);
    EXPECT_EQ(rows_to_show(s)[0].time, "");
    EXPECT_EQ(row_points_text(rows_to_show(s)[0]), "42分");
    EXPECT_EQ(row_time_text({"1", "x", "not a number", "1"}), "00:00.00");
}

TEST(BoardScroll, WheelAndBoundFor30RowsIn1000PxBoard) {
    const BoardLayout l = board_layout(780, 1000);
    EXPECT_EQ(l.visible_rows_height, 716);
    EXPECT_EQ(max_scroll(30, l.visible_rows_height), 30 * 40 + 10 - 716);
    EXPECT_EQ(max_scroll(17, l.visible_rows_height), 0);
    EXPECT_EQ(max_scroll(0, l.visible_rows_height), 0);

    BoardState s;
    board_poll(s, thirty_rows());
    board_wheel(s, -120 * 100); // wheel towards the user scrolls down, unbounded until painted
    EXPECT_EQ(s.scroll, 4000);
    clamp_scroll(s, rows_to_show(s).size(), l.visible_rows_height);
    EXPECT_EQ(s.scroll, 494);
    board_wheel(s, 120);
    EXPECT_EQ(s.scroll, 454);
    board_wheel(s, 60); // less than one notch does nothing yet...
    EXPECT_EQ(s.scroll, 454);
    board_wheel(s, 30);
    board_wheel(s, 30); // ...but a touchpad's small steps add up to one
    EXPECT_EQ(s.scroll, 414);
    board_wheel(s, 120 * 50);
    EXPECT_EQ(s.scroll, 0);
}

TEST(BoardRows, GoldSilverBronzeThenBandsOnlyOnEvenRows) {
    EXPECT_EQ(row_look(0), RowLook::Gold);
    EXPECT_EQ(row_look(1), RowLook::Silver);
    EXPECT_EQ(row_look(2), RowLook::Bronze);
    EXPECT_EQ(row_look(3), RowLook::Plain);
    EXPECT_EQ(row_look(4), RowLook::Band);
    EXPECT_EQ(row_look(5), RowLook::Plain);
    EXPECT_EQ(row_look(28), RowLook::Band);
}

TEST(BoardTabs, LayoutAndHitTestingOnEdges) {
    const BoardLayout l = board_layout(780, 1000);
    const BoardRect d0 = l.difficulty_tabs[0], d2 = l.difficulty_tabs[2];
    EXPECT_FLOAT_EQ(d0.w, (780.0f - 56) / 3);
    EXPECT_FLOAT_EQ(d2.x + d2.w, 762); // right edge of the last tab meets the margin
    EXPECT_FLOAT_EQ(l.ending_tabs[3].x + l.ending_tabs[3].w, 762);

    EXPECT_EQ(tab_at(l, d0.x, d0.y), 0);                  // top-left corner
    EXPECT_EQ(tab_at(l, d0.x + d0.w, d0.y + d0.h), 0);    // bottom-right corner
    EXPECT_EQ(tab_at(l, d0.x - 0.5f, 100), kNoTab);       // just left of it
    EXPECT_EQ(tab_at(l, d0.x + d0.w + 5, 100), kNoTab);   // the gap between tabs
    EXPECT_EQ(tab_at(l, l.difficulty_tabs[1].x, 134), 1); // bottom edge
    EXPECT_EQ(tab_at(l, 400, 135), kNoTab);               // between the two tab rows
    EXPECT_EQ(tab_at(l, 18, 146), kEndingTabBase);        // ending tab top-left
    EXPECT_EQ(tab_at(l, 761, 186), kEndingTabBase + 3);   // last ending tab, bottom
    EXPECT_EQ(tab_at(l, 761, 186.5f), kNoTab);
}

TEST(BoardTabs, ClicksSwitchTabsSlideAndThrowSparks) {
    const BoardLayout l = board_layout(780, 1000);
    const auto rnd = sequence({7, 3, 11});
    BoardState s;
    s.difficulty_tab = 2;
    s.scroll = 120;
    EXPECT_TRUE(board_click(s, l, l.difficulty_tabs[0].x + 5, 100, rnd));
    EXPECT_EQ(s.difficulty_tab, 0);
    EXPECT_EQ(s.slide_direction, -1);
    EXPECT_EQ(s.last_clicked_tab, 0);
    EXPECT_EQ(s.scroll, 0);
    EXPECT_EQ(s.slide, 1);
    EXPECT_EQ(s.highlight, 1);
    EXPECT_EQ(s.particles.size(), 70u);

    EXPECT_TRUE(board_click(s, l, l.ending_tabs[3].x + 1, 150, rnd));
    EXPECT_EQ(s.ending_tab, 3);
    EXPECT_EQ(s.slide_direction, 1);
    EXPECT_EQ(s.last_clicked_tab, 13);
    EXPECT_EQ(s.particles.size(), 130u);

    // Clicking the selected tab again slides forward, in either row; a click elsewhere changes
    // nothing else.
    board_click(s, l, l.ending_tabs[3].x + 1, 150, rnd);
    EXPECT_EQ(s.slide_direction, 1);
    s.slide_direction = -1;
    board_click(s, l, l.difficulty_tabs[0].x + 5, 100, rnd);
    EXPECT_EQ(s.slide_direction, 1);
    s.scroll = 40;
    s.slide = 0.5f;
    EXPECT_FALSE(board_click(s, l, 300, 600, rnd));
    EXPECT_EQ(s.scroll, 40);
    EXPECT_EQ(s.slide, 0.5f);
    EXPECT_EQ(s.particles.size(), 270u);
}

TEST(BoardParticles, BurstValuesColourJitterAndClamp) {
    std::vector<kvr::Particle> ps;
    // angle 90°, speed 100, life 0.5+0.3, size 3+2.5, jitter +19, +0, -20
    spawn_burst(ps, 1, 50, 60, 250, 100, 10, sequence({90, 40, 30, 25, 39, 20, 0}));
    ASSERT_EQ(ps.size(), 1u);
    const kvr::Particle& p = ps[0];
    EXPECT_NEAR(p.vx, 0, 0.01);
    EXPECT_NEAR(p.vy, 100 - 40, 0.01);
    EXPECT_FLOAT_EQ(p.life, 0.8f);
    EXPECT_FLOAT_EQ(p.full_life, 0.8f);
    EXPECT_FLOAT_EQ(p.size, 5.5f);
    EXPECT_EQ(p.r, 255); // 250 + 19 clamps
    EXPECT_EQ(p.g, 100);
    EXPECT_EQ(p.b, 0); // 10 - 20 never wraps round to a bright blue

    ps.clear();
    spawn_ambient(ps, 98, 260, sequence({219, 39, 39, 49, 34, 59, 79}));
    EXPECT_FLOAT_EQ(ps[0].x, 98 - 110 + 219);
    EXPECT_FLOAT_EQ(ps[0].vx, 19);
    EXPECT_FLOAT_EQ(ps[0].vy, -69);
    EXPECT_FLOAT_EQ(ps[0].life, 1.39f);
    EXPECT_EQ(ps[0].g, 249);
    EXPECT_EQ(ps[0].b, 139);
}

TEST(BoardParticles, LifeRunsOutAndSurvivorsKeepTheirOrder) {
    std::vector<kvr::Particle> ps(4);
    const float lives[] = {0.016f, 0.5f, 0.01f, 0.3f};
    for (int i = 0; i < 4; ++i) {
        ps[i].life = ps[i].full_life = lives[i];
        ps[i].x = static_cast<float>(i);
        ps[i].vx = 100;
        ps[i].vy = 10;
    }
    kvr::step_particles(ps, 0.016f, 2.24f);
    ASSERT_EQ(ps.size(), 2u);
    EXPECT_FLOAT_EQ(ps[0].x, 1 + 1.6f);
    EXPECT_FLOAT_EQ(ps[1].x, 3 + 1.6f);
    EXPECT_FLOAT_EQ(ps[0].y, 0.16f); // moved with the velocity from before the step
    EXPECT_FLOAT_EQ(ps[0].vy, 12.24f);
    EXPECT_EQ(kvr::particle_alpha(ps[1]), static_cast<int>((0.3f - 0.016f) / 0.3f * 235));
    kvr::Particle fresh;
    fresh.life = fresh.full_life = 1;
    EXPECT_EQ(kvr::particle_alpha(fresh), 235);
    fresh.full_life = 0;
    EXPECT_EQ(kvr::particle_alpha(fresh), 0);
}

TEST(BoardTick, AnimationsFadeAndAmbientSparksOnlyWhileShown) {
    BoardState s;
    s.slide = 1;
    s.highlight = 1;
    const auto rnd = sequence({5});
    for (int i = 0; i < 15; ++i)
        board_tick(s, false, rnd);
    EXPECT_EQ(s.slide, 0); // gone after 15 ticks (1 / 0.0672)
    EXPECT_NEAR(s.highlight, 1 - 15 * 0.0288f, 1e-5);
    EXPECT_TRUE(s.particles.empty());
    for (int i = 0; i < 20; ++i)
        board_tick(s, false, rnd);
    EXPECT_EQ(s.highlight, 0);

    BoardState v;
    v.scroll = 100;
    for (int i = 0; i < 8; ++i)
        board_tick(v, true, rnd);
    EXPECT_TRUE(v.particles.empty());
    board_tick(v, true, rnd); // 0.144 s of clock: the first ambient spark
    ASSERT_EQ(v.particles.size(), 1u);
    EXPECT_FLOAT_EQ(v.particles[0].y, 160); // follows the first row as it scrolls
    for (int i = 0; i < 9; ++i)
        board_tick(v, true, rnd);
    EXPECT_EQ(v.particles.size(), 2u);
}

TEST(BoardTick, HidingDropsTheSparksButTheSlideAndRingRunOn) {
    const BoardLayout l = board_layout(780, 1000);
    const auto rnd = sequence({5});
    BoardState s;
    board_click(s, l, l.ending_tabs[1].x + 5, 150, rnd);
    board_tick(s, true, rnd);
    board_hidden(s);
    EXPECT_TRUE(s.particles.empty());
    for (int i = 0; i < 4; ++i)
        board_tick(s, false, rnd);
    EXPECT_NEAR(s.slide, 1 - 5 * 0.0672f, 1e-5);
    EXPECT_NEAR(s.highlight, 1 - 5 * 0.0288f, 1e-5);
    EXPECT_EQ(s.last_clicked_tab, kEndingTabBase + 1);
    // At rest only once the ring (the slower of the two) has run out.
    for (int i = 0; i < 29; ++i)
        board_tick(s, false, rnd);
    EXPECT_FALSE(board_at_rest(s));
    board_tick(s, false, rnd);
    EXPECT_TRUE(board_at_rest(s));
}
