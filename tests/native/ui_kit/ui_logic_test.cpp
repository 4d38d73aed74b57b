#include "ui_kit/animation_steps.h"
#include "ui_kit/card_look.h"
#include "ui_kit/data_dir_rule.h"
#include "ui_kit/race_time.h"
#include "ui_kit/window_table.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace kvr::ui;

TEST(RaceTime, MinutesAndHundredthsInBothForms) {
    EXPECT_EQ(race_time_text(754.32), "12:34.32");
    EXPECT_EQ(race_time_text(5), "0:05.00");
    EXPECT_EQ(race_time_text(4500), "75:00.00");
    EXPECT_EQ(race_time_text_padded(75.5), "01:15.50");
    EXPECT_EQ(race_time_text_padded(3600), "60:00.00");
    EXPECT_EQ(race_time_text_padded(7380), "123:00.00");
}

TEST(RaceTime, RoundingCarriesIntoTheMinuteInsteadOfShowingSixtySeconds) {
    EXPECT_EQ(race_time_text(59.996), "1:00.00");
    EXPECT_EQ(race_time_text(119.999), "2:00.00");
    EXPECT_EQ(race_time_text(0.004), "0:00.00");
    EXPECT_EQ(race_time_text(0.005), "0:00.01");
    EXPECT_EQ(race_time_text_padded(59.995), "01:00.00");
}

TEST(RaceTime, ImpossibleTimesReadAsZeroOrAreCapped) {
    EXPECT_EQ(race_time_text(-3), "0:00.00");
    EXPECT_EQ(race_time_text(std::nan("")), "0:00.00");
    EXPECT_EQ(race_time_text(-std::numeric_limits<double>::infinity()), "0:00.00");
    // Far beyond any run, yet still a readable text rather than an overflowed minute count.
    EXPECT_EQ(race_time_text(std::numeric_limits<double>::infinity()), "1666666:40.00");
    EXPECT_EQ(race_time_text(1e300), "1666666:40.00");
}

TEST(Countdown, LabelTwoBlanksAndSeconds) {
    EXPECT_EQ(countdown_text("click anywhere to close", 45), "click anywhere to close  (45s)");
    EXPECT_EQ(countdown_text("x", -2), "x  (0s)");
}

TEST(DataDirRule, LocalAppDataOrTheFixedFallback) {
    EXPECT_EQ(data_dir_from(std::string_view("C:\\Users\\张三\\AppData\\Local")),
              "C:\\Users\\张三\\AppData\\Local\\KVR-Race\\data");
    EXPECT_EQ(data_dir_from(std::string_view()), "C:\\KVR-race\\data");
    EXPECT_EQ(data_dir_from(std::wstring_view(L"D:\\L")), L"D:\\L\\KVR-Race\\data");
    EXPECT_EQ(data_dir_from(std::wstring_view()), L"C:\\KVR-race\\data");
    EXPECT_EQ(path_in(std::wstring_view(L"C:\\KVR-race\\data"), L"launch.state"),
              L"C:\\KVR-race\\data\\launch.state");
    EXPECT_EQ(path_in(std::string_view("d"), "board.tsv"), "d\\board.tsv");
}

TEST(WindowPlacement, CentredAndTopAnchoredInsideAnOffsetWorkArea) {
    // A work area that does not start at 0 (taskbar on the left or top).
    const ScreenRect work{60, 40, 1660, 1000};
    const WindowPlace start = place_window(work, 460, 300, Anchor::centred, 0);
    EXPECT_EQ(start.x, 60 + (1600 - 460) / 2);
    EXPECT_EQ(start.y, 40 + (960 - 300) / 2);
    const WindowPlace timer = place_window(work, 420, 96, Anchor::top_centred, 16);
    EXPECT_EQ(timer.x, 60 + (1600 - 420) / 2);
    EXPECT_EQ(timer.y, 56);
    // Odd leftovers round toward the top-left, as integer division does.
    EXPECT_EQ(place_window({0, 0, 101, 101}, 10, 10, Anchor::centred, 0).x, 45);
}

TEST(WindowPlacement, CardsGrowWithTheDisplayDpiButNeverBeyondTheirWorkArea) {
    const ScreenRect big{0, 0, 2560, 1400};
    EXPECT_FLOAT_EQ(card_scale(144, big, kFinalCardWindow), 1.5f);
    EXPECT_FLOAT_EQ(card_scale(0, big, kTimerWindow), 1.0f); // no DPI known: as laid out
    const WindowPlace timer = place_card(big, kTimerWindow, 1.5f);
    EXPECT_EQ(timer.width, 630);
    EXPECT_EQ(timer.height, 144);
    EXPECT_EQ(timer.y, 24); // the gap above the strip scales too
    // A 1080p display at 150 % has a work area of 1920 x 1032 pixels: the 1000-pixel board
    // cannot grow by half, and is as large as still fits.
    const ScreenRect full_hd{0, 0, 1920, 1032};
    EXPECT_FLOAT_EQ(card_scale(144, full_hd, kBoardWindow), 1.032f);
    const WindowPlace board =
        place_card(full_hd, kBoardWindow, card_scale(144, full_hd, kBoardWindow));
    EXPECT_EQ(board.height, 1032);
    EXPECT_EQ(board.y, 0);
    // A small laptop screen at 100 %: the board shrinks rather than hanging off the top.
    EXPECT_LT(card_scale(96, {0, 0, 1366, 728}, kBoardWindow), 0.73f);
    EXPECT_FLOAT_EQ(card_scale(96, {0, 0, 1366, 728}, kChooserWindow), 1.0f);
}

TEST(AnimationSteps, RealTimeDecidesTheStepsNotHowOftenTheTimerFires) {
    // A 16 ms timer on a 15.6 ms system tick fires every 31 ms or so: two steps each time.
    AnimationSteps a;
    int taken = 0;
    for (std::uint64_t t = 5000; t <= 5000 + 31 * 20; t += 31)
        taken += animation_steps_due(a, t);
    EXPECT_EQ(taken, 31 * 20 / 16 + 1);
    EXPECT_EQ(animation_steps_due(a, 5000 + 31 * 20), 0); // the same tick again: nothing new
    // After a long stall the animation jumps ahead instead of replaying every step.
    EXPECT_EQ(animation_steps_due(a, 5000 + 31 * 20 + 5000), 8);
    EXPECT_EQ(animation_steps_due(a, 5000 + 31 * 20 + 5016), 1);
}

TEST(CardLook, ComputedAlphaIsClampedNotWrapped) {
    EXPECT_EQ(with_alpha(150, 0xE2A83C), 0x96E2A83Cu);
    EXPECT_EQ(with_alpha(300, 0x11E2A83C), 0xFFE2A83Cu);
    EXPECT_EQ(with_alpha(-5, 0xE2A83C), 0x00E2A83Cu);
}
