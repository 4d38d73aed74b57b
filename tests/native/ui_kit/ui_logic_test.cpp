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

TEST(CardLook, ComputedAlphaIsClampedNotWrapped) {
    EXPECT_EQ(with_alpha(150, 0xE2A83C), 0x96E2A83Cu);
    EXPECT_EQ(with_alpha(300, 0x11E2A83C), 0xFFE2A83Cu);
    EXPECT_EQ(with_alpha(-5, 0xE2A83C), 0x00E2A83Cu);
}
