#include "launcher_core/result/receipt_judge.h"

#include "json_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Split {
    std::string map;
    double t;
};

// A receipt as the in-game script writes it: its own fields, then the splits.
std::string receipt(const std::vector<Split>& splits,
                    const std::string& head = "\"status\":\"running\",\"ending\":\"\","
                                              "\"total\":812.40,") {
    std::string s = "{" + head + "\"splits\":[";
    for (size_t i = 0; i < splits.size(); ++i) {
        if (i) s += ",";
        s += "{\"i\":" + std::to_string(i + 1) + ",\"map\":\"" + splits[i].map +
             "\",\"t\":" + std::to_string(splits[i].t) + "}";
    }
    return s + "]}";
}

// `count` splits ending with `last`.
std::vector<Split> run_ending_in(const std::string& last, size_t count) {
    std::vector<Split> splits;
    for (size_t i = 1; i < count; ++i)
        splits.push_back({"Level " + std::to_string(i), 10.0 * static_cast<double>(i)});
    splits.push_back({last, 10.0 * static_cast<double>(count)});
    return splits;
}

RunInputs inputs(const std::string& text, ReceiptSource source = ReceiptSource::kvrw_result) {
    RunInputs in;
    in.server_configured = true;
    in.source = source;
    in.text = text;
    in.player = "Mira";
    in.difficulty = "easy";
    return in;
}

bool logged(const RunJudgement& j, const std::string& line) {
    return std::find(j.log.begin(), j.log.end(), line) != j.log.end();
}

bool logged_starting(const RunJudgement& j, const std::string& start) {
    return std::any_of(j.log.begin(), j.log.end(),
                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

std::string settled_ending(const std::string& last_map, size_t splits) {
    const RunJudgement j = judge_run(inputs(receipt(run_ending_in(last_map, splits))));
    EXPECT_EQ(j.verdict, RunVerdict::submit) << last_map;
    return j.ending;
}

} // namespace

TEST(JudgeEnding, SettledFromTheLastEndingMapAndSplitCount) {
    EXPECT_EQ(settled_ending("Final Escape", 44), "arcade");
    EXPECT_EQ(settled_ending("Final Escape", 45), "true");
    EXPECT_EQ(settled_ending("Lobby 3999", 44), "arcade");
    EXPECT_EQ(settled_ending("Lobby 3999", 46), "true");
    EXPECT_EQ(settled_ending("Neon Arcade", 50), "arcade"); // "Neon" decides before "Arcade"
    EXPECT_EQ(settled_ending("Neon City", 3), "arcade");
    EXPECT_EQ(settled_ending("Tunnel B", 60), "main");
    EXPECT_EQ(settled_ending("ENDING:true", 3), "true");
    EXPECT_EQ(settled_ending("ENDING:arcade", 60), "arcade");
    EXPECT_EQ(settled_ending("ENDING:secret", 60), "main");
    EXPECT_EQ(settled_ending("ENDING:", 60), "main");
}

TEST(JudgeEnding, LastEndingMapWinsAndItsTimeIsLogged) {
    std::vector<Split> splits = {{"Level 0", 5},
                                 {"Tunnel", 100.25},
                                 {"Level 9", 120},
                                 {"Neon Gate", 200.5},
                                 {"Level 10", 230}};
    const RunJudgement j = judge_run(inputs(receipt(splits)));
    EXPECT_EQ(j.ending, "arcade");
    EXPECT_TRUE(logged(j, "ending inferred from splits: arcade (map=Neon Gate t=200.50)"));
}

TEST(JudgeEnding, ExistingEndingValueIsKeptButTheLogShowsTheSettledOne) {
    const std::string text = receipt(run_ending_in("Neon Gate", 10),
                                     "\"status\":\"running\",\"ending\":\"true\",\"total\":9,");
    const RunJudgement j = judge_run(inputs(text));
    EXPECT_NE(j.text.find("\"ending\":\"true\""), std::string::npos);
    EXPECT_EQ(j.ending, "true");
    EXPECT_TRUE(logged_starting(j, "ending inferred from splits: arcade (map=Neon Gate"));
}

TEST(JudgeEnding, UnknownEndingValueAndStatusAreSpliced) {
    const std::string text = receipt(run_ending_in("Tunnel", 10),
                                     "\"status\": \"crashed\",\"ending\":\"none\",\"total\":9,");
    const RunJudgement j = judge_run(inputs(text));
    EXPECT_NE(j.text.find("\"status\": \"ending\",\"ending\":\"main\""), std::string::npos);
}

TEST(JudgeEnding, BareStatusValueDoesNotReachIntoTheNextKey) {
    const std::string text =
        receipt(run_ending_in("Tunnel", 3), "\"status\":7,\"mode\":\"solo\",\"total\":9,");
    const RunJudgement j = judge_run(inputs(text));
    EXPECT_NE(j.text.find("\"status\":7,\"mode\":\"solo\""), std::string::npos);
}

TEST(JudgeFinish, PlainReceiptNeedsTheEndingMarkerEvenWhenLiveSplitEnded) {
    RunInputs in = inputs(receipt(run_ending_in("Final Escape", 50)), ReceiptSource::receipt);
    in.livesplit.phase = "Ended";
    in.livesplit.time = 800.0;
    const RunJudgement j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::not_finished);
    EXPECT_EQ(j.skip_reason, "run not finished (no ending screen)");
    EXPECT_EQ(j.log.back(),
              "run not finished: receipt has no ENDING marker (crashed before ending?)");
}

TEST(JudgeFinish, KvrwResultNeedsNoMarkerAndEndedLiveSplitFinishesAnyRun) {
    RunInputs in = inputs(receipt({{"Level 0", 5}, {"Level 1", 9}}));
    EXPECT_EQ(judge_run(in).verdict, RunVerdict::not_finished);
    EXPECT_EQ(judge_run(in).skip_reason, "run not finished (no ending map)");
    // Even with nothing read before the game (the server switched on late): the run is not lost.
    in.livesplit.phase = "Ended";
    const RunJudgement j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::submit);
    EXPECT_EQ(j.ending, "main");
    EXPECT_TRUE(logged(j, "ending inferred from splits: main (map= t=-1.00)"));
    // An end LiveSplit already showed before the game belongs to an earlier attempt.
    in.livesplit.time = 700.25;
    in.livesplit_before = in.livesplit;
    EXPECT_EQ(judge_run(in).verdict, RunVerdict::not_finished);
    EXPECT_TRUE(logged(judge_run(in), "livesplit's end is not this run's: it does not finish it"));
}

TEST(JudgeFinish, NothingToJudge) {
    RunInputs in = inputs("");
    in.server_configured = false;
    RunJudgement j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::no_server);
    EXPECT_EQ(j.skip_reason, "");
    EXPECT_EQ(j.log.back(), "no server configured, upload skipped");

    in = inputs("", ReceiptSource::receipt);
    in.text.reset();
    j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::no_receipt);
    EXPECT_EQ(j.skip_reason, "no receipt file");
    EXPECT_EQ(j.log.back(), "no receipt to upload");

    for (const char* bad : {"", " {\"map\":\"ENDING:main\"}", "[]"}) {
        j = judge_run(inputs(bad, ReceiptSource::receipt));
        EXPECT_EQ(j.verdict, RunVerdict::invalid_receipt) << bad;
        EXPECT_EQ(j.skip_reason, "receipt invalid");
        EXPECT_EQ(j.log.back(), "receipt content invalid, upload skipped");
    }
}

TEST(JudgeFinish, KvrwResultWrittenBeforeTheLaunchIsALeftover) {
    RunInputs in = inputs(receipt(run_ending_in("ENDING:main", 5)), ReceiptSource::receipt);
    in.kvrw_result_stale = true;
    const RunJudgement j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::submit);
    EXPECT_EQ(j.log[1], "kvrw_result.json is older than this run, ignored");
}

TEST(JudgeTime, PlainReceiptTakesLiveSplitTimeWithTheWholeLogInOrder) {
    std::vector<Split> splits = run_ending_in("ENDING:main", 5);
    RunInputs in = inputs(receipt(splits), ReceiptSource::receipt);
    in.livesplit_before.phase = "NotRunning";
    in.livesplit.phase = "Ended";
    in.livesplit.time = 49.5;
    const RunJudgement j = judge_run(in);
    const std::vector<std::string> expected = {
        "livesplit probe ok: 49.50",
        "livesplit phase: Ended",
        "ending inferred from splits: main (map=ENDING:main t=50.00)",
        "cross-check: livesplit=49.50 lastSplit=50.00 diff=-0.50",
        "livesplit time used: 49.50 (receipt said 812.40)",
    };
    EXPECT_EQ(j.log, expected);
    EXPECT_EQ(j.total, "49.50");
    EXPECT_NE(j.text.find("\"total\":49.50,"), std::string::npos);
    EXPECT_EQ(j.difficulty, "easy");
}

TEST(JudgeTime, LiveSplitTimeCountsOnlyForAnEndThisRunReached) {
    auto judged = [](const char* before_phase, std::optional<double> before_time,
                     const char* phase) {
        RunInputs in = inputs(receipt(run_ending_in("ENDING:main", 5)), ReceiptSource::receipt);
        in.livesplit_before = {before_phase, before_time};
        in.livesplit = {phase, 700.25};
        return judge_run(in);
    };
    // Still running: a split before the end, or the timer still counting.
    RunJudgement j = judged("NotRunning", std::nullopt, "Running");
    EXPECT_EQ(j.total, "812.40");
    EXPECT_TRUE(logged(j, "livesplit has not ended (phase Running), its time is not the run's: "
                          "using receipt time"));
    // The same end before and after the game: an earlier attempt LiveSplit was never reset from.
    j = judged("Ended", 700.25, "Ended");
    EXPECT_EQ(j.total, "812.40");
    EXPECT_TRUE(logged(j, "livesplit had already ended before the game at 700.25: an earlier "
                          "attempt's time, using receipt time"));
    j = judged("NotRunning", std::nullopt, "Ended");
    EXPECT_EQ(j.total, "700.25");
    EXPECT_TRUE(logged(j, "livesplit time used: 700.25 (receipt said 812.40)"));
    EXPECT_EQ(judged("Ended", 650.0, "Ended").total, "700.25"); // reset and run again
    // Nothing read before the game (LiveSplit's server switched on later, a run judged at the
    // next start): it may be an earlier attempt's end.
    j = judged("", std::nullopt, "Ended");
    EXPECT_EQ(j.total, "812.40");
    EXPECT_TRUE(logged(j, "livesplit was not read before the game, so its end may be an earlier "
                          "attempt's: using receipt time"));
    // Not reset: a timer running since before the game, or an end whose time did not come.
    for (const auto& [phase, time] :
         {std::pair<const char*, std::optional<double>>{"Running", {}}, {"Ended", std::nullopt}}) {
        j = judged(phase, time, "Ended");
        EXPECT_EQ(j.total, "812.40") << phase;
        EXPECT_TRUE(logged(j, std::string("livesplit was not reset before the game (phase ") +
                                  phase +
                                  "), so its end may be an earlier attempt's: using "
                                  "receipt time"));
    }
    // An end before the run's last split is not where this run ended.
    RunInputs in = inputs(receipt(run_ending_in("ENDING:main", 5)), ReceiptSource::receipt);
    in.livesplit_before = {"NotRunning", std::nullopt};
    in.livesplit = {"Ended", 47.5};
    j = judge_run(in);
    EXPECT_EQ(j.total, "812.40");
    EXPECT_TRUE(logged(j, "livesplit ended before the run's last split: using receipt time"));
    // A LiveSplit left open on another splits file: its run has another number of segments.
    in.livesplit = {"Ended", 760.0, 12};
    in.race_segments = 5;
    j = judge_run(in);
    EXPECT_EQ(j.total, "812.40");
    EXPECT_TRUE(logged(j, "livesplit's run has 12 segments, the race splits 5: another splits "
                          "file, using receipt time"));
    in.livesplit.segments = 5;
    EXPECT_EQ(judge_run(in).total, "760.00");
}

TEST(JudgeTime, KvrwResultKeepsItsOwnTotalAndMissingLiveSplitIsLogged) {
    RunInputs in = inputs(receipt(run_ending_in("Tunnel", 4)));
    in.livesplit.time = 12.0;
    RunJudgement j = judge_run(in);
    EXPECT_EQ(j.log[1], "using kvrw_result.json (in-game timer)");
    EXPECT_TRUE(logged(j, "mod in-game time is authoritative, livesplit only cross-checked"));
    EXPECT_EQ(j.total, "812.40");

    in = inputs(receipt(run_ending_in("ENDING:main", 4)), ReceiptSource::receipt);
    j = judge_run(in);
    EXPECT_EQ(j.log.front(), "livesplit probe failed (server not started?)");
    EXPECT_EQ(j.log[1], "livesplit phase: (none)");
    EXPECT_TRUE(logged(j, "livesplit time unavailable, using receipt time"));
    EXPECT_FALSE(logged_starting(j, "cross-check"));
    EXPECT_EQ(j.total, "812.40");
}

TEST(JudgeTime, EarlyStopWarningStartsBelowMinusTwoSeconds) {
    auto warned = [](double livesplit, double last_split) {
        RunInputs in = inputs(receipt(run_ending_in("Tunnel", 2)));
        in.text = receipt({{"Level 0", 1.0}, {"Tunnel", last_split}});
        in.livesplit.time = livesplit;
        return logged(judge_run(in), "WARN: livesplit stopped before last split (likely early "
                                     "stop, review manually)");
    };
    EXPECT_FALSE(warned(100.0, 102.0));
    EXPECT_FALSE(warned(754.56, 756.56)); // -2.00 in hundredths despite binary rounding
    EXPECT_TRUE(warned(100.0, 102.01));
    EXPECT_FALSE(warned(200.0, 102.0));

    // Without split times there is nothing to check LiveSplit's time against.
    RunInputs in = inputs("{\"total\":812.40,\"splits\":[{\"i\":1,\"map\":\"Tunnel\"}]}");
    in.livesplit.time = 100.0;
    const RunJudgement j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::submit);
    EXPECT_FALSE(logged_starting(j, "cross-check"));
}

TEST(JudgeDifficulty, TheCardGetsTheDifficultyTheServerGets) {
    // The receipt's own key, in any spelling, is what the server reads: the payload adds none,
    // and the card shows that value (one it does not know, it leaves out).
    std::string text = receipt(run_ending_in("Tunnel", 3), "\"difficulty\":3,\"total\":9,");
    RunJudgement j = judge_run(inputs(text));
    EXPECT_EQ(j.difficulty, "3");
    EXPECT_FALSE(logged_starting(j, "difficulty from game"));
    EXPECT_EQ(j.payload, "{\"player\":\"Mira\"," + text.substr(1));

    // Escapes undone, as the server's JSON reader undoes them.
    text = receipt(run_ending_in("Tunnel", 3), "\"difficulty\" : \"nightm\\u0061re\",\"total\":9,");
    j = judge_run(inputs(text));
    EXPECT_EQ(j.difficulty, "nightmare");
    EXPECT_TRUE(logged(j, "difficulty from game (receipt): nightmare"));
    EXPECT_EQ(j.payload, "{\"player\":\"Mira\"," + text.substr(1));

    RunInputs in = inputs(receipt(run_ending_in("Tunnel", 3)));
    in.difficulty = "";
    EXPECT_EQ(judge_run(in).difficulty, "normal");
}

TEST(JudgeEnding, NoEndingKeyReportsNoEnding) {
    const RunJudgement j =
        judge_run(inputs(receipt(run_ending_in("Neon Gate", 3), "\"total\":9,")));
    ASSERT_EQ(j.verdict, RunVerdict::submit);
    EXPECT_EQ(j.ending, "");
    EXPECT_TRUE(logged_starting(j, "ending inferred from splits: arcade"));
}

TEST(JudgePayload, LayoutWithAndWithoutPlayerIdAndDifficulty) {
    const std::string text = "{\"map\":\"Tunnel\",\"t\":5}";
    RunInputs in = inputs(text);
    EXPECT_EQ(judge_run(in).payload,
              "{\"player\":\"Mira\",\"difficulty\":\"easy\",\"map\":\"Tunnel\",\"t\":5}");
    in.player_id = "76561198000000001";
    EXPECT_EQ(judge_run(in).payload, "{\"player\":\"Mira\",\"playerId\":\"76561198000000001\","
                                     "\"difficulty\":\"easy\",\"map\":\"Tunnel\",\"t\":5}");
    in.player = "";
    in.text = "{\"difficulty\":\"normal\",\"map\":\"Tunnel\"}";
    EXPECT_EQ(judge_run(in).payload, "{\"player\":\"anonymous\",\"playerId\":\"76561198000000001\","
                                     "\"difficulty\":\"normal\",\"map\":\"Tunnel\"}");
}

TEST(JudgePayload, HostileNamesStayInsideTheirStrings) {
    RunInputs in = inputs(receipt(run_ending_in("Tunnel", 3)));
    in.player = "Ev\"il\\ \"x\":1,\"accepted\":true}\n张三";
    in.player_id = "7\"6";
    in.difficulty = "ea\"sy";
    in.text = "{\"map\":\"Tunnel\",\"t\":5}";
    const RunJudgement j = judge_run(in);
    EXPECT_TRUE(json_check::valid(j.payload)) << j.payload;
    EXPECT_EQ(j.payload.rfind(
                  "{\"player\":\"Ev\\\"il\\\\ \\\"x\\\":1,\\\"accepted\\\":true}\\n张三\"", 0),
              0u)
        << j.payload;
}

TEST(JudgePayload, EmptyObjectStillGivesValidJson) {
    RunInputs in = inputs("{ }");
    in.livesplit_before.phase = "NotRunning";
    in.livesplit.phase = "Ended";
    const RunJudgement j = judge_run(in);
    ASSERT_EQ(j.verdict, RunVerdict::submit);
    EXPECT_EQ(j.payload, "{\"player\":\"Mira\",\"difficulty\":\"easy\" }");
    EXPECT_TRUE(json_check::valid(j.payload));
}

TEST(JudgePayload, ValidReceiptStaysValidWhateverItsValuesHold) {
    // Escaped quotes inside spliced strings, and a total that is no plain number: each splice
    // must replace the whole value and nothing past it.
    const std::string heads[] = {
        "\"status\":\"cr\\\"ash\",\"ending\":\"\",\"total\":9,",
        "\"status\":\"running\",\"ending\":\"x\\\"y\",\"total\":9,",
        "\"status\":\"running\",\"total\":\"12,5\",",
        "\"status\":\"running\",\"total\":{\"a\":[1,2],\"b\":\"}\"},",
    };
    for (const std::string& head : heads) {
        RunInputs in =
            inputs(receipt(run_ending_in("ENDING:main", 3), head), ReceiptSource::receipt);
        in.livesplit_before.phase = "NotRunning";
        in.livesplit = {"Ended", 49.5};
        ASSERT_TRUE(json_check::valid(*in.text)) << *in.text;
        const RunJudgement j = judge_run(in);
        ASSERT_EQ(j.verdict, RunVerdict::submit) << head;
        EXPECT_TRUE(json_check::valid(j.payload)) << j.payload;
        EXPECT_NE(j.text.find("\"status\":\"ending\""), std::string::npos) << j.text;
        EXPECT_NE(j.text.find("\"total\":49.50,"), std::string::npos) << j.text;
    }
}
