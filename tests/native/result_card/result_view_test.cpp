#include "result_card/result_view.h"

#include <gtest/gtest.h>

namespace {
FinalCardText card(std::vector<std::string> args) {
    return final_card_text(parse_result_options(args));
}
} // namespace

TEST(FinalCard, UploadedRunShowsTimeLabelsRankAndPoints) {
    const FinalCardText t =
        card({"--ok", "1", "--kind", "uploaded", "--total", "754.326", "--difficulty", "nightmare",
              "--ending", "true", "--rank", "3", "--points", "120", "--msg", "New personal best"});
    EXPECT_EQ(t.outcome, Outcome::uploaded);
    EXPECT_EQ(t.title, "UPLOADED");
    EXPECT_EQ(t.time, "12:34.33");
    EXPECT_TRUE(t.time_known);
    EXPECT_EQ(t.labels, "NIGHTMARE  \xC2\xB7  TRUE ENDING");
    EXPECT_EQ(t.rank_line, "Rank #3    +120 pts");
    EXPECT_EQ(t.message, "New personal best");
}

TEST(FinalCard, FailedUploadNeverShowsARankAndGetsTheStandardNetworkText) {
    const FinalCardText t = card({"--ok", "0", "--kind", "network", "--total", "61", "--rank", "3",
                                  "--difficulty", "easy", "--ending", "arcade"});
    EXPECT_EQ(t.outcome, Outcome::failed);
    EXPECT_EQ(t.title, "UPLOAD FAILED");
    EXPECT_EQ(t.time, "1:01.00");
    EXPECT_EQ(t.labels, "EASY  \xC2\xB7  ARCADE ENDING");
    EXPECT_EQ(t.rank_line, "");
    EXPECT_EQ(t.message, "Network error. Result saved locally - it will retry next launch.");
    // The server's own reason, as the launcher core maps it, is shown as given.
    EXPECT_EQ(card({"--ok", "0", "--kind", "rejected", "--msg",
                    "The race is closed - result not counted"})
                  .message,
              "The race is closed - result not counted");
}

TEST(FinalCard, ContradictoryOptionsNeverReportSuccess) {
    EXPECT_EQ(card({"--ok", "1", "--kind", "network"}).outcome, Outcome::failed);
    EXPECT_EQ(card({"--ok", "1", "--kind", "rejected"}).outcome, Outcome::failed);
    EXPECT_EQ(card({"--ok", "1", "--kind", "unfinished"}).outcome, Outcome::no_result);
    EXPECT_EQ(card({"--ok", "0", "--kind", "uploaded"}).outcome, Outcome::failed);
    EXPECT_EQ(card({"--ok", "1"}).outcome, Outcome::uploaded);
    EXPECT_EQ(card({"--ok", "1", "--kind", "later-word"}).outcome, Outcome::uploaded);
}

TEST(FinalCard, NoResultForUnfinishedRunsAndForAnEmptyCommandLine) {
    const FinalCardText t = card({"--ok", "0", "--kind", "unfinished", "--difficulty", "normal"});
    EXPECT_EQ(t.title, "NO RESULT");
    EXPECT_EQ(t.time, "--:--.--");
    EXPECT_FALSE(t.time_known);
    EXPECT_EQ(t.labels, "NORMAL");
    EXPECT_EQ(t.message, "No finish detected - this run will not count.");
    const FinalCardText empty = card({});
    EXPECT_EQ(empty.title, "NO RESULT");
    EXPECT_EQ(empty.labels, "");
    EXPECT_EQ(empty.message, "");
    EXPECT_EQ(card({"--ending", "main"}).labels, "MAIN ENDING");
}

TEST(FinalCard, RankWithoutPointsAndNegativePoints) {
    EXPECT_EQ(card({"--ok", "1", "--rank", "12"}).rank_line, "Rank #12    +0 pts");
    EXPECT_EQ(card({"--ok", "1", "--rank", "1", "--points", "-5"}).rank_line, "Rank #1    -5 pts");
}

TEST(UploadState, DoneOrFailEndTheProgressCard) {
    EXPECT_TRUE(upload_finished("done"));
    EXPECT_TRUE(upload_finished("fail"));
    EXPECT_TRUE(upload_finished("done\r\n"));
    EXPECT_FALSE(upload_finished("uploading"));
    EXPECT_FALSE(upload_finished(""));
    EXPECT_FALSE(upload_finished("Done"));
    EXPECT_FALSE(upload_finished("done!"));
}

TEST(Countdown, RoundsUpAndStopsAtZero) {
    EXPECT_EQ(seconds_left(0), kFinalCardSeconds);
    EXPECT_EQ(seconds_left(1), kFinalCardSeconds);
    EXPECT_EQ(seconds_left(1000), kFinalCardSeconds - 1);
    EXPECT_EQ(seconds_left(kFinalCardSeconds * 1000 - 1), 1);
    EXPECT_EQ(seconds_left(kFinalCardSeconds * 1000), 0);
    EXPECT_EQ(seconds_left(10'000'000), 0);
    EXPECT_EQ(seconds_left(500, 3), 3);
    EXPECT_EQ(seconds_left(500, -1), 0);
}
