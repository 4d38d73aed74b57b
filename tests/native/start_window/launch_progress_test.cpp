#include "start_window/launch_progress.h"

#include <gtest/gtest.h>

TEST(StageText, ExactWordsOnlyEverythingElsePrepares) {
    EXPECT_EQ(stage_text("checking"), "Checking game files...");
    EXPECT_EQ(stage_text("launching"), "Launching game...");
    EXPECT_EQ(stage_text("playing"), "Game running");
    EXPECT_EQ(stage_text("uploading"), "Uploading result...");
    EXPECT_EQ(stage_text("done"), "Done");
    for (const char* other : {"", "playing\r\n", "Playing", " done", "fail", "checking\n"})
        EXPECT_EQ(stage_text(other), "Preparing...") << other;
}

TEST(LaunchWatch, PlayingOrDoneCloseAtTheFirstPoll) {
    for (const char* word : {"playing", "done"}) {
        LaunchWatch w{"", 1000};
        EXPECT_FALSE(poll_launch_state(w, "launching", 1150));
        EXPECT_TRUE(poll_launch_state(w, word, 1300)) << word;
    }
}

TEST(LaunchWatch, EmptyReadKeepsTheLastWordAndLineEndsNeverClose) {
    LaunchWatch w{"", 0};
    EXPECT_FALSE(poll_launch_state(w, "uploading", 150));
    EXPECT_FALSE(poll_launch_state(w, "", 300)); // file being rewritten
    EXPECT_EQ(w.last_word, "uploading");
    EXPECT_FALSE(poll_launch_state(w, "playing\r\n", 450));
    EXPECT_EQ(stage_text(w.last_word), "Preparing...");
    EXPECT_FALSE(poll_launch_state(w, "", 600));
    EXPECT_EQ(w.last_word, "playing\r\n");
}

TEST(LaunchWatch, GivesUpOnlyAfterTheLimit) {
    LaunchWatch w{"", 5000};
    EXPECT_FALSE(poll_launch_state(w, "playing\r\n", 5000 + 90000));
    EXPECT_TRUE(poll_launch_state(w, "", 5000 + 90001));

    LaunchWatch quick{"", 0, 300}; // a shortened clock for the same rule
    EXPECT_FALSE(poll_launch_state(quick, "checking", 300));
    EXPECT_TRUE(poll_launch_state(quick, "checking", 301));
    // A tick count below the start (never expected) does not close the card.
    EXPECT_FALSE(poll_launch_state(quick, "checking", 0));
}

TEST(Footer, SecondsCounterAndDotsMoveAtTheirOwnPace) {
    EXPECT_EQ(footer_text(0), "launcher v1  \xC2\xB7  0s");
    EXPECT_EQ(footer_text(999), "launcher v1  \xC2\xB7  0s");
    EXPECT_EQ(footer_text(61000), "launcher v1  \xC2\xB7  61s");
    EXPECT_EQ(dot_phase(0), 0);
    EXPECT_EQ(dot_phase(259), 0);
    EXPECT_EQ(dot_phase(260), 1);
    EXPECT_EQ(dot_phase(3 * 260), 3);
    EXPECT_EQ(dot_phase(4 * 260), 0);
}

TEST(CardStageText, CoreThatDidNotStartIsSaidUntilAnotherWordArrives) {
    LaunchWatch w;
    EXPECT_EQ(card_stage_text(w, false), "Could not start kvr_launcher_core.exe");
    w.last_word = "checking";
    EXPECT_EQ(card_stage_text(w, false), "Could not start kvr_launcher_core.exe");
    EXPECT_EQ(card_stage_text(w, true), "Checking game files...");
    w.last_word = "launching";
    EXPECT_EQ(card_stage_text(w, false), "Launching game...");
}
