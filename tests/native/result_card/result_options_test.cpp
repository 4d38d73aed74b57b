#include "result_card/result_options.h"

#include <gtest/gtest.h>

using Args = std::vector<std::string>;

TEST(ResultOptions, ProgressFormAsTheLauncherCoreWritesIt) {
    const ResultOptions o =
        parse_result_options({"--mode", "progress", "--state",
                              "C:\\Users\\张三\\AppData\\Local\\KVR-Race\\data\\upload.state"});
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.state_path, "C:\\Users\\张三\\AppData\\Local\\KVR-Race\\data\\upload.state");
}

TEST(ResultOptions, FullFinalCardInAnyOrder) {
    const ResultOptions o = parse_result_options(
        {"--msg", "成绩已记录", "--rank", "3", "--ok", "1", "--kind", "uploaded", "--total",
         "754.32", "--difficulty", "nightmare", "--ending", "true", "--points", "120"});
    EXPECT_FALSE(o.progress);
    EXPECT_EQ(o.ok, true);
    EXPECT_EQ(o.kind, RunKind::uploaded);
    EXPECT_DOUBLE_EQ(o.total_seconds.value(), 754.32);
    EXPECT_EQ(o.difficulty, "nightmare");
    EXPECT_EQ(o.ending, "true");
    EXPECT_EQ(o.rank, 3);
    EXPECT_EQ(o.points, 120);
    EXPECT_EQ(o.message, "成绩已记录");
}

TEST(ResultOptions, ValueIsAlwaysTheNextArgumentEvenWhenItLooksLikeAnOption) {
    const ResultOptions o = parse_result_options({"--msg", "--rank", "--rank", "2"});
    EXPECT_EQ(o.message, "--rank");
    EXPECT_EQ(o.rank, 2);
    EXPECT_EQ(parse_result_options({"--msg", ""}).message, "");
}

TEST(ResultOptions, LastRepeatWinsUnknownArgumentsAreSkippedAlone) {
    const ResultOptions o =
        parse_result_options({"stray", "--colour", "--rank", "4", "--rank", "7", "--verbose"});
    EXPECT_EQ(o.rank, 7);
    // An unknown option's would-be value is skipped on its own; a known option after it counts.
    EXPECT_EQ(parse_result_options({"--x", "--points", "9"}).points, 9);
    // A trailing option without a value changes nothing.
    EXPECT_FALSE(parse_result_options({"--rank"}).rank.has_value());
    EXPECT_FALSE(parse_result_options({"--mode"}).progress);
}

TEST(ResultOptions, MalformedValuesReadAsAbsent) {
    const ResultOptions o =
        parse_result_options({"--total", "12,5", "--rank", "0", "--points", "12pts", "--difficulty",
                              "Hard", "--ending", "MAIN", "--ok", "yes", "--kind", "mystery"});
    EXPECT_FALSE(o.total_seconds.has_value());
    EXPECT_FALSE(o.rank.has_value());
    EXPECT_FALSE(o.points.has_value());
    EXPECT_EQ(o.difficulty, "");
    EXPECT_EQ(o.ending, "");
    EXPECT_EQ(o.ok, false); // only "1" means accepted
    EXPECT_EQ(o.kind, RunKind::unknown);
    EXPECT_TRUE(o.kind_given);

    for (const char* bad : {"-1", "nan", "inf", "", " 5", "5 ", "1e999"})
        EXPECT_FALSE(parse_result_options({"--total", bad}).total_seconds.has_value()) << bad;
    for (const char* bad : {"-3", "99999999999", "+2", "2.0"})
        EXPECT_FALSE(parse_result_options({"--rank", bad}).rank.has_value()) << bad;
    EXPECT_EQ(parse_result_options({"--points", "-5"}).points, -5);
    EXPECT_FALSE(parse_result_options({"--mode", "Progress"}).progress);
}

TEST(ResultOptions, NothingAtAllIsAFinalCardWithNothingKnown) {
    const ResultOptions o = parse_result_options(Args{});
    EXPECT_FALSE(o.progress);
    EXPECT_FALSE(o.ok.has_value());
    EXPECT_FALSE(o.kind_given);
}
