#include "overlay/game_watch.h"
#include "overlay/field_numbers.h"
#include "overlay/timer_model.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

TEST(TimerText, MinutesAreNotWrappedAndRoundingCarries) {
    TimerState t;
    const std::pair<const char*, const char*> cases[] = {
        {"0|75.5|1|A", "01:15.50"}, {"0|3600|1|A", "60:00.00"}, {"0|59.999|1|A", "01:00.00"},
        {"0|-4|1|A", "00:00.00"},   {"0|nan|1|A", "00:00.00"},  {"0|0x10|1|A", "00:16.00"}};
    for (const auto& [content, shown] : cases) {
        timer_poll(t, content, 0);
        EXPECT_EQ(timer_time_text(t), shown) << content;
    }
    EXPECT_EQ(parse_seconds("  12.5xyz"), 12.5);
    EXPECT_EQ(parse_int("99999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(parse_int(" -7 "), -7);
}

TEST(TimerPoll, FourFieldsRunningCountsUpFromTheParseTick) {
    TimerState t;
    EXPECT_TRUE(timer_poll(t, "1|12.5|3|Crypt", 1000));
    EXPECT_TRUE(t.running);
    EXPECT_EQ(t.segment, 3);
    EXPECT_EQ(t.segment_name, "Crypt");
    EXPECT_EQ(t.start_tick, 1000u);
    timer_refresh(t, 1030);
    EXPECT_DOUBLE_EQ(t.shown_seconds, 12.53);
    timer_refresh(t, 3000);
    EXPECT_EQ(timer_time_text(t), "00:14.50");
    EXPECT_EQ(timer_segment_text(t), "段 3  ·  Crypt");
}

TEST(TimerPoll, StoppedByFlagOrByFieldZero) {
    TimerState t;
    timer_poll(t, "1|75.5|2|Boss|1", 0);
    EXPECT_FALSE(t.running);
    timer_refresh(t, 9000);
    EXPECT_EQ(timer_time_text(t), "01:15.50");

    TimerState u;
    timer_poll(u, "0|40|1|A", 0);
    timer_refresh(u, 5000);
    EXPECT_DOUBLE_EQ(u.shown_seconds, 40);
    // A stop flag other than 1 does not stop, and the name keeps its line end and bars.
    TimerState v;
    timer_poll(v, "1|0|1|A|2", 0);
    EXPECT_TRUE(v.running);
    timer_poll(v, "1|0|1| a b\r\n", 0);
    EXPECT_EQ(v.segment_name, " a b\r\n");
}

TEST(TimerPoll, FewerThanFourFieldsAreRememberedButChangeNothing) {
    TimerState t;
    timer_poll(t, "1|10|2|Hall", 100);
    EXPECT_TRUE(timer_poll(t, "0|99|7", 200));
    EXPECT_EQ(t.last_content, "0|99|7");
    EXPECT_TRUE(t.running);
    EXPECT_EQ(t.base_seconds, 10);
    EXPECT_EQ(t.start_tick, 100u);
    EXPECT_EQ(t.segment_name, "Hall");
    // Non-numbers read as 0.
    timer_poll(t, "x|y|z|", 300);
    EXPECT_FALSE(t.running);
    EXPECT_EQ(t.shown_seconds, 0);
    EXPECT_EQ(t.segment_name, "");
}

TEST(TimerPoll, EmptyFileHidesAndTheSameTextIsParsedAnewAfterwards) {
    TimerState t;
    timer_poll(t, "1|5|1|A", 1000);
    EXPECT_TRUE(timer_poll(t, "1|5|1|A", 4000));
    EXPECT_EQ(t.start_tick, 1000u); // unchanged content: not parsed again
    EXPECT_FALSE(timer_poll(t, "", 5000));
    EXPECT_TRUE(timer_poll(t, "1|5|1|A", 6000));
    EXPECT_EQ(t.start_tick, 6000u);
}

TEST(TimerPoll, SwitchedOffNeverShows) {
    TimerState t;
    t.enabled = false;
    EXPECT_FALSE(timer_poll(t, "1|5|1|A", 0));
    EXPECT_TRUE(t.last_content.empty());
    EXPECT_TRUE(switch_file_has("x0\r\n1", '1'));
    EXPECT_FALSE(switch_file_has("", '1'));
}

TEST(GameWatch, LooksAboutOnceASecondAndEndsWhenTheGameIsGone) {
    GameWatch w;
    int asked = 0;
    bool running = true;
    auto game = [&] {
        ++asked;
        return running;
    };
    for (uint64_t t = 0; t < 2000; t += 120)
        EXPECT_FALSE(game_watch_due(w, t, game));
    EXPECT_EQ(asked, 2); // at 960 and 1920 ms
    EXPECT_TRUE(w.seen);
    EXPECT_EQ(ms_until_check(w, 2000), 1920u + 960 - 2000);
    running = false;
    EXPECT_FALSE(game_watch_due(w, 2800, game));
    EXPECT_TRUE(game_watch_due(w, 2880, game));
}

TEST(GameWatch, GivesUpAfterFiveMinutesWithoutTheGame) {
    GameWatch w;
    auto absent = [] { return false; };
    EXPECT_FALSE(game_watch_due(w, kGameWaitMs, absent));
    EXPECT_FALSE(game_watch_due(w, kGameWaitMs + 500, absent)); // not due yet
    EXPECT_TRUE(game_watch_due(w, kGameWaitMs + 960, absent));
    EXPECT_EQ(ms_until_check(w, kGameWaitMs + 5000), 0u);
}
