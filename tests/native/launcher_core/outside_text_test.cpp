// Checks on the bytes that come from outside and go on to the server, the queue or the log:
// whole-JSON checks, verdicts in server answers, week files that may replace cached copies (and
// keep them when they cannot be replaced), and log lines that stay one readable line.
#include "launcher_core/base/complete_json.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/result/receipt_judge.h"
#include "launcher_core/server/server_reply.h"
#include "launcher_core/server/week_files.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

TEST(CompleteJson, WholeValuesPass) {
    for (const char* ok :
         {"{}", " { } \r\n", "[]", "\"x\"", "12", "{\"a\":1,\"b\":[1,{\"c\":\"}\\\"]\"}],\"d\":{}}",
          "{\"t\":nan,\"u\":-1e5,\"v\":true}", "[[[[[]]]]]", "{\"a\":\"\xE5\xBC\xA0\"}"})
        EXPECT_TRUE(is_complete_json(ok)) << ok;
}

TEST(CompleteJson, WhatCrashesAndScriptFaultsLeaveFails) {
    const std::string whole =
        "{\"status\":\"running\",\"splits\":[{\"i\":1,\"map\":\"ENDING:main\","
        "\"t\":750.00}]}";
    ASSERT_TRUE(is_complete_json(whole));
    // Cut off anywhere before its last byte, the receipt is no longer whole.
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(is_complete_json(whole.substr(0, n))) << whole.substr(0, n);
    for (const char* bad : {"",
                            "   ",
                            "{\"a\":}",
                            "{\"a\":,\"b\":1}",
                            "{\"a\"}",
                            "{\"a\" 1}",
                            "{\"a\":1,}",
                            "[1,]",
                            "[1 2]",
                            "{1:2}",
                            "{\"a\":1}}",
                            "{\"a\":1} x",
                            "{\"a\":[1}",
                            "{\"a\":\"x",
                            "{\"a\":\"x\\\"}",
                            "]",
                            "{\"a\":1]",
                            "{\"a\"::1}",
                            "{,}",
                            "1 2",
                            "[] []",
                            "{\"a\":1},{\"b\":2}",
                            "{\"a\":\"x\ny\"}",
                            "{\"a\":\"x\\\ty\"}"})
        EXPECT_FALSE(is_complete_json(bad)) << bad;
    // A file the system preallocated and a crash left padded with zero bytes.
    EXPECT_FALSE(is_complete_json(std::string("{\"a\":1}\0\0", 9)));
}

TEST(CompleteJson, DeepNestingNeedsNoStack) {
    const std::string deep = std::string(1 << 20, '[') + std::string(1 << 20, ']');
    EXPECT_TRUE(is_complete_json(deep));
    EXPECT_FALSE(is_complete_json(deep.substr(0, deep.size() - 1)));
}

namespace {

RunInputs plain_receipt(const std::string& text) {
    RunInputs in;
    in.server_configured = true;
    in.text = text;
    in.player = "Mira";
    return in;
}

} // namespace

TEST(JudgeDamagedReceipt, CutOffOrValuelessReceiptIsNeverSent) {
    const std::string whole = "{\"status\":\"running\",\"total\":812.40,\"splits\":[{\"i\":1,"
                              "\"map\":\"ENDING:main\",\"t\":750.00}]}";
    ASSERT_EQ(judge_run(plain_receipt(whole)).verdict, RunVerdict::submit);
    for (const std::string& bad :
         {whole.substr(0, whole.size() - 6), std::string("{\"status\":,\"total\":,\"splits\":"
                                                         "[{\"map\":\"ENDING:main\",\"t\":}]}")}) {
        const RunJudgement j = judge_run(plain_receipt(bad));
        EXPECT_EQ(j.verdict, RunVerdict::invalid_receipt) << bad;
        EXPECT_EQ(j.skip_reason, "receipt invalid");
        ASSERT_GE(j.log.size(), 2u);
        EXPECT_EQ(j.log.back(), "receipt content invalid, upload skipped");
        EXPECT_EQ(j.log[j.log.size() - 2].rfind("receipt is not a complete JSON object (", 0), 0u);
    }
}

TEST(JudgeDamagedReceipt, UnreadableKvrwResultIsToldBeforeTheReceiptIsJudged) {
    RunInputs in = plain_receipt("{\"map\":\"ENDING:main\",\"t\":1}");
    in.kvrw_result_unreadable = true;
    const RunJudgement j = judge_run(in);
    EXPECT_EQ(j.verdict, RunVerdict::submit);
    EXPECT_EQ(j.log[1], "kvrw_result.json present but unreadable, using the receipt");
}

TEST(SubmitReply, AnswersWithoutVerdictAreTroubleNotRefusals) {
    // An error page, a proxy's login page or bytes cut short say nothing about the run: it is
    // kept for another try instead of being given up.
    for (const char* page : {"", "<html>Login to the hotel network</html>", "{\"acc", "\x01\x02",
                             "{\"ok\":false}", "{\"accepted\" true}"})
        EXPECT_EQ(submit_verdict(200, parse_submit_reply(page)), SubmitVerdict::none) << page;
    for (const char* verdict : {"{\"accepted\":false}", "{\"accepted\" : false,\"x\":1}",
                                "{\"error\":\"week window closed\"}"}) {
        EXPECT_EQ(submit_verdict(200, parse_submit_reply(verdict)), SubmitVerdict::refused)
            << verdict;
        EXPECT_EQ(submit_verdict(400, parse_submit_reply(verdict)), SubmitVerdict::refused)
            << verdict;
    }
}

TEST(WeekFiles, OnlySoundAnswersReplaceTheCachedCopy) {
    EXPECT_EQ(week_file_problem("week.json", "{\"seed\":\"1\"}"), "");
    EXPECT_EQ(week_file_problem("leaderboard.json", "[{\"rank\":1}]"), "");
    EXPECT_EQ(week_file_problem("week.json", "<html>proxy</html>"), "answer is not JSON");
    EXPECT_EQ(week_file_problem("week.json", "{\"seed\":\"1"), "answer is not JSON");
    EXPECT_EQ(week_file_problem("week.json", ""), "answer is not JSON");
    EXPECT_EQ(week_file_problem("board.tsv", "rank\tplayer\n1\t\xE5\xBC\xA0\n"), "");
    EXPECT_EQ(week_file_problem("board.tsv", ""), "");
    EXPECT_EQ(week_file_problem("board.txt", std::string("ab\0cd", 5)), "answer is not text");
}

TEST(WeekFiles, AWriteThatFailsKeepsTheCachedCopyAndSaysSo) {
    std::map<std::string, std::string, std::less<>> disk = {
        {"week.json", "{\"seed\":\"41\"}"}, {"rand_seed.txt", "41"}, {"board.tsv", "cached"}};
    std::vector<std::string> log;
    WeekSyncIo io;
    io.get = [](std::string_view endpoint) {
        WeekAnswer a;
        a.answered = true;
        a.status = 200;
        a.body = endpoint == "/week/current" ? "{\"seed\":\"42\"}" : "[]";
        return a;
    };
    io.read = [&](std::string_view file, std::string& bytes) {
        const auto it = disk.find(file);
        if (it == disk.end()) return false;
        bytes = it->second;
        return true;
    };
    // A full disk for the seed and the board: the writer gives up and changes nothing.
    io.replace = [&](std::string_view file, std::string_view bytes) {
        if (file == "rand_seed.txt" || file == "board.tsv") return false;
        disk[std::string(file)] = bytes;
        return true;
    };
    io.log = [&](const std::string& line) { log.push_back(line); };
    io.why = [] { return std::string("Access is denied."); };
    sync_week_files(io);
    EXPECT_EQ(disk["week.json"], "{\"seed\":\"42\"}");
    EXPECT_EQ(disk["rand_seed.txt"], "41");
    EXPECT_EQ(disk["board.tsv"], "cached");
    EXPECT_EQ(disk["board.txt"], "[]");
    EXPECT_EQ(log, (std::vector<std::string>{
                       "week.json updated from server",
                       "rand_seed.txt could not be written (Access is denied.), the game keeps the "
                       "seed it has",
                       "leaderboard.json updated from server", "board_data.txt updated from server",
                       "board_en.txt updated from server", "board.txt updated from server",
                       "board.tsv: could not be written (Access is denied.), cached copy kept"}));
}

TEST(WeekFiles, TheSyncKeepsTheCachedCopyForAnErrorPageOrAnErrorStatus) {
    const std::map<std::string_view, WeekAnswer> answers = {
        {"/week/current", {true, false, 200, "<html><body>Welcome to the hotel</body></html>", ""}},
        {"/leaderboard", {true, false, 404, "{\"rows\":[]}", ""}},
        {"/board-data", {true, false, 500, "{\"error\":\"db\"}", ""}},
    };
    std::vector<std::string> written, log;
    WeekSyncIo io;
    io.get = [&](std::string_view endpoint) {
        const auto it = answers.find(endpoint);
        return it != answers.end() ? it->second : WeekAnswer{true, false, 200, "fresh", ""};
    };
    io.read = [](std::string_view, std::string& bytes) {
        bytes = "{\"seed\":\"41\"}";
        return true;
    };
    io.replace = [&](std::string_view file, std::string_view) {
        written.emplace_back(file);
        return true;
    };
    io.log = [&](const std::string& line) { log.push_back(line); };
    io.why = [] { return std::string("Access is denied."); };
    sync_week_files(io);
    EXPECT_EQ(written, (std::vector<std::string>{"rand_seed.txt", "board_en.txt", "board.txt",
                                                 "board.tsv"}));
    EXPECT_EQ(log[0], "week.json: answer is not JSON, using cached copy");
    EXPECT_EQ(log[2], "leaderboard.json: server answered 404, using cached copy");
    EXPECT_EQ(log[3], "board_data.txt: server answered 500, using cached copy");
}

TEST(LogSafe, TextPassesControlsAndBrokenBytesAreShown) {
    EXPECT_EQ(log_safe("Ev\"il \\ 张三 😀"), "Ev\"il \\ 张三 😀");
    EXPECT_EQ(log_safe("a\nb\r\tc\x1b[0m\x7f"), "a\\x0Ab\\x0D\\x09c\\x1B[0m\\x7F");
    EXPECT_EQ(log_safe(std::string("x\0y", 3)), "x\\x00y");
    // Bytes that are not UTF-8: a lone continuation byte, a cut sequence, an overlong form.
    EXPECT_EQ(log_safe("\x80z\xE5\xBC"), "\\x80z\\xE5\\xBC");
    EXPECT_EQ(log_safe("\xC0\xAF"), "\\xC0\\xAF");
    EXPECT_EQ(log_safe(""), "");
    // Characters editors take for line breaks, C1 controls and direction overrides, as UTF-8.
    EXPECT_EQ(log_safe("a\xC2\x85"
                       "b\xE2\x80\xA8"
                       "c\xE2\x80\xA9"
                       "d\xC2\x9B"
                       "e\xE2\x80\xAE"
                       "f"),
              "a\\u0085b\\u2028c\\u2029d\\u009Be\\u202Ef");
    EXPECT_EQ(log_safe(log_safe("a\nb\xE2\x80\xA8")), log_safe("a\nb\xE2\x80\xA8"));
    // Capped by characters, never inside one.
    EXPECT_EQ(log_safe("张三李四", 2), "张三... (12 bytes)");
}
