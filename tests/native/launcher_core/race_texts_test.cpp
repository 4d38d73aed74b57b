// The small texts the launcher reads and writes around an upload: LiveSplit replies and
// settings, server answers, request bodies, the final card and the dated file names.
#include "launcher_core/base/dated_names.h"
#include "launcher_core/base/json_fields.h"
#include "launcher_core/livesplit/livesplit_text.h"
#include "launcher_core/profile/profile_site.h"
#include "launcher_core/result/final_card.h"
#include "launcher_core/server/race_requests.h"
#include "launcher_core/server/server_reply.h"

#include "json_check.h"

#include <gtest/gtest.h>

TEST(LiveSplitTime, BothServerStylesAndNoTimeReplies) {
    EXPECT_DOUBLE_EQ(parse_livesplit_time("1:02:03.5").value(), 3723.5);
    EXPECT_DOUBLE_EQ(parse_livesplit_time("12:34.56").value(), 754.56);
    EXPECT_DOUBLE_EQ(parse_livesplit_time("00:12:34.5600000").value(), 754.56);
    EXPECT_DOUBLE_EQ(parse_livesplit_time(" 1:00:00 \r\n").value(), 3600.0);
    EXPECT_DOUBLE_EQ(parse_livesplit_time("00:12:34").value(), 754.0); // zero fraction left out
    EXPECT_DOUBLE_EQ(parse_livesplit_time("1.02:03:04.5000000").value(), 93784.5);
    EXPECT_DOUBLE_EQ(parse_livesplit_time("26:03:04.50").value(), 93784.5);
    for (const char* none :
         {"-", "0.00", "00:00:00.0000000", "0:00.00", "", "Running", "12", "-00:00:05.00",
          "1:2:3:4", "a:10", "10:", "1:30abc", ".1:00:00", "1.2.3:00:00", "-1.00:00:00"})
        EXPECT_FALSE(parse_livesplit_time(none).has_value()) << none;
}

TEST(LiveSplitRun, SegmentsOfTheRunAndOfTheSplitsFile) {
    EXPECT_EQ(parse_split_index("5\r\n"), 5);
    EXPECT_EQ(parse_split_index("-1"), -1);
    for (const char* none : {"", "-", "[Error]: index", "5 segments", "99999999999"})
        EXPECT_FALSE(parse_split_index(none).has_value()) << none;
    EXPECT_EQ(count_lss_segments("<Run><Segments><Segment><Name>a</Name></Segment>"
                                 "<Segment id=\"2\"><Name>b</Name></Segment></Segments></Run>"),
              2);
    EXPECT_EQ(count_lss_segments("<Run><Segments /></Run>"), 0);
}

TEST(LiveSplitStart, SplitsBehindDashSAndTheLayoutBehindDashL) {
    EXPECT_EQ(livesplit_command_line("C:\\LS\\LiveSplit.exe", "D:\\比赛 包\\race.lss",
                                     "C:\\LS\\mirelle.lsl"),
              "\"C:\\LS\\LiveSplit.exe\" -s \"D:\\比赛 包\\race.lss\" -l \"C:\\LS\\mirelle.lsl\"");
    // No layout file: no "-l". A splits path ending in a backslash must not swallow the quote.
    EXPECT_EQ(livesplit_command_line("C:\\LS\\LiveSplit.exe", "D:\\x\"y\\", ""),
              "\"C:\\LS\\LiveSplit.exe\" -s \"D:\\xy\\\\\"");
}

TEST(LiveSplitReply, OneLineWhateverTheLineEnd) {
    EXPECT_EQ(livesplit_reply_line("Ended\r\n"), "Ended");
    EXPECT_EQ(livesplit_reply_line("Ended\n"), "Ended");
    EXPECT_EQ(livesplit_reply_line("  NotRunning"), "NotRunning");
    EXPECT_EQ(livesplit_reply_line("00:01:00\nstale second line\n"), "00:01:00");
    EXPECT_EQ(livesplit_reply_line("\r\n"), "");
}

TEST(LiveSplitLayout, EveryElementPointsAtTheRaceLayoutOnce) {
    const std::string wanted = "C:\\LiveSplit\\mirelle.lsl";
    const std::string cfg = "<Settings><LayoutPath>C:\\old.lsl</LayoutPath><X/>"
                            "<LayoutPath></LayoutPath></Settings>";
    const LayoutFix fix = point_layout_at(cfg, wanted);
    EXPECT_TRUE(fix.changed);
    EXPECT_EQ(fix.text, "<Settings><LayoutPath>" + wanted + "</LayoutPath><X/><LayoutPath>" +
                            wanted + "</LayoutPath></Settings>");
    const LayoutFix again = point_layout_at(fix.text, wanted);
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(again.text, fix.text);

    EXPECT_FALSE(point_layout_at("<LayoutPath>unclosed", wanted).changed);
    EXPECT_FALSE(point_layout_at("no layout at all", wanted).changed);
}

TEST(LiveSplitLayout, PathIsWrittenAsXmlText) {
    const LayoutFix fix = point_layout_at("<LayoutPath>x</LayoutPath>", "D:\\R&D <1>\\mirelle.lsl");
    EXPECT_EQ(fix.text, "<LayoutPath>D:\\R&amp;D &lt;1&gt;\\mirelle.lsl</LayoutPath>");
    EXPECT_FALSE(point_layout_at(fix.text, "D:\\R&D <1>\\mirelle.lsl").changed);
}

TEST(LiveSplitLayout, DamagedElementSwallowsNothingAfterIt) {
    // The first element is not closed where its value ends: replacing up to the next closing
    // tag would throw away the settings in between, the second layout element among them.
    const std::string cfg = "<LayoutPath>a</LayoutPathss><Keep>1</Keep>"
                            "<LayoutPath>C:\\old.lsl</LayoutPath>";
    const LayoutFix fix = point_layout_at(cfg, "C:\\race.lsl");
    EXPECT_TRUE(fix.changed);
    EXPECT_EQ(fix.text, "<LayoutPath>a</LayoutPathss><Keep>1</Keep>"
                        "<LayoutPath>C:\\race.lsl</LayoutPath>");
    EXPECT_FALSE(point_layout_at(fix.text, "C:\\race.lsl").changed);
    EXPECT_FALSE(point_layout_at("<LayoutPath>a<LayoutPath>", "x").changed);
}

TEST(JsonFields, ValuesEndWhereTheirJsonValueEnds) {
    const std::string total = "\"total\":";
    EXPECT_EQ(quoted_value(R"({"error":"say \"hi\"","x":1})", "\"error\":").value(),
              R"(say \"hi\")");
    EXPECT_EQ(bare_value(R"({"total":"12,5","x":1})", total).value(), "\"12,5\"");
    EXPECT_EQ(bare_value(R"({"total":{"a":[1,2],"b":"}"} ,"x":1})", total).value(),
              R"({"a":[1,2],"b":"}"})");
    EXPECT_EQ(bare_value("{\"total\": 812.40 }", total).value(), "812.40");
    // Text that is no JSON value still ends at the first ',' or '}', so a splice over it never
    // takes the keys after it along.
    EXPECT_EQ(bare_value(R"({"total":812"ending":"a,b"})", total).value(), R"(812"ending":"a)");
    EXPECT_FALSE(bare_value(R"({"total":"81)", total).has_value());
    EXPECT_FALSE(bare_value(R"({"total":[1,{"a":2})", total).has_value());
}

TEST(JsonFields, NumbersAsStrtodReadsThem) {
    EXPECT_DOUBLE_EQ(leading_double(" +812.5,"), 812.5);
    EXPECT_DOUBLE_EQ(leading_double("x1"), 0.0);
}

TEST(JsonFields, StringEscapesAreUndone) {
    EXPECT_EQ(json_unescape(R"(\u5468\u8d5b \"x\" a\/b\\ \n)"), "周赛 \"x\" a/b\\ \n");
    EXPECT_EQ(json_unescape(R"(\ud83d\ude00 \ud83d \q \u12)"), "😀 \xEF\xBF\xBD \\q \\u12");
    EXPECT_EQ(json_unescape(R"(caf\u00e9)"), "caf\xC3\xA9");
    EXPECT_EQ(json_unescape(R"(\udbff\udfff)"), "\xF4\x8F\xBF\xBF"); // U+10FFFF
}

TEST(SubmitReply, AcceptedOnlyInTheTwoExactSpellings) {
    EXPECT_TRUE(parse_submit_reply("{\"accepted\":true}").accepted);
    EXPECT_TRUE(parse_submit_reply("{\"accepted\": true}").accepted);
    EXPECT_FALSE(parse_submit_reply("{\"accepted\" : true}").accepted);
    EXPECT_FALSE(parse_submit_reply("{\"accepted\" :true}").accepted);
    EXPECT_FALSE(parse_submit_reply("{\"accepted\":false}").accepted);
    EXPECT_FALSE(parse_submit_reply("").accepted);
}

TEST(SubmitReply, TokenRankPointsAndError) {
    SubmitReply r =
        parse_submit_reply("{\"accepted\":true,\"token\":\"t0k/+=\",\"rank\":3,\"points\": 120}");
    EXPECT_EQ(r.token.value(), "t0k/+=");
    EXPECT_EQ(r.rank.value(), 3);
    EXPECT_EQ(r.points.value(), 120);

    EXPECT_EQ(parse_submit_reply(R"({"token":"a\/b+c"})").token.value(), "a/b+c");

    r = parse_submit_reply("{\"accepted\":false,\"error\":\"week window closed\",\"rank\":-1}");
    EXPECT_FALSE(r.token.has_value());
    EXPECT_EQ(r.rank.value(), -1);
    EXPECT_FALSE(r.points.has_value());
    EXPECT_EQ(r.error, "week window closed");

    // A null or empty token is no token (an empty one would wipe the saved login), and a null
    // one must not take the next key's name.
    r = parse_submit_reply("{\"token\":null,\"rank\":\"x\",\"points\":99999999999}");
    EXPECT_FALSE(r.token.has_value());
    EXPECT_FALSE(parse_submit_reply("{\"accepted\":true,\"token\":\"\"}").token.has_value());
    EXPECT_FALSE(r.rank.has_value());
    EXPECT_FALSE(r.points.has_value());
}

TEST(SubmitReply, OnlyAnExplicitVerdictRefusesARun) {
    const auto verdict = [](int status, const char* body) {
        return submit_verdict(status, parse_submit_reply(body));
    };
    const char* framework_404 = "{\"error\":\"Not Found\"}";
    const char* not_accepted = "{\"accepted\" : false,\"x\":1}";
    for (int status : {200, 201, 400, 422}) {
        EXPECT_EQ(verdict(status, framework_404), SubmitVerdict::refused) << status;
        EXPECT_EQ(verdict(status, not_accepted), SubmitVerdict::refused) << status;
    }
    // A proxy, a login wall, a wrong path, a server still on the same key, a body too large, an
    // overloaded or failing server: none of them judged the run, which waits to be sent again.
    for (int status : {401, 403, 404, 405, 408, 409, 413, 429, 500, 502, 503, 504}) {
        EXPECT_EQ(verdict(status, framework_404), SubmitVerdict::none) << status;
        EXPECT_EQ(verdict(status, not_accepted), SubmitVerdict::none) << status;
        // A refusal the server gives only for a run that cannot count stands whatever the status.
        EXPECT_EQ(verdict(status, "{\"error\":\"week window closed\"}"), SubmitVerdict::refused)
            << status;
        EXPECT_EQ(verdict(status, "{\"accepted\":true}"), SubmitVerdict::accepted) << status;
    }
    // A redirect is never followed: the server the run is for has judged nothing, whatever the
    // redirect's body says.
    for (int status : {301, 302, 307, 308})
        for (const char* body : {"{\"accepted\":true}", "{\"error\":\"race is closed\"}"})
            EXPECT_EQ(verdict(status, body), SubmitVerdict::none) << status << body;
    EXPECT_EQ(verdict(200, "{\"accepted\":null}"), SubmitVerdict::none);
    // A login portal's page is no answer of the server's, whatever its script holds.
    EXPECT_EQ(verdict(200, "<html><script>var p = {\"error\":\"please log in\"};</script>"),
              SubmitVerdict::none);
    EXPECT_EQ(verdict(200, "<p>{\"error\":\"race is closed\"}</p>"), SubmitVerdict::none);
}

TEST(SubmitReply, LoginNeverReachesTheLogAndAnOversizedOneIsIgnored) {
    EXPECT_EQ(answer_for_log("{\"accepted\": true, \"token\": \"tok-1\", \"rank\": 3}"),
              "{\"accepted\": true, \"token\": \"<hidden, 5 bytes>\", \"rank\": 3}");
    // Every occurrence in every spelling a JSON reader takes, escaped quotes inside, and one cut
    // off with the answer; a value that is no string stays.
    EXPECT_EQ(
        answer_for_log(R"({"token" :"a\"b","x":{"token":"c"},"n":{"token":null},"token":"dd)"),
        R"({"token" :"<hidden, 4 bytes>","x":{"token":"<hidden, 1 bytes>"},)"
        R"("n":{"token":null},"token":"<hidden, 2 bytes>")");
    EXPECT_EQ(answer_for_log(R"({"token":"null"})"), R"({"token":"<hidden, 4 bytes>"})");
    // Broken JSON whose closing quote opens the next key.
    EXPECT_EQ(answer_for_log(R"({"token":"a"token":"b"})"),
              R"({"token":"<hidden, 1 bytes>"token":"<hidden, 1 bytes>"})");
    EXPECT_EQ(answer_for_log("{\"error\":\"a\nb\"}"), "{\"error\":\"a\\x0Ab\"}");
    // Wherever else the login stands (a profile link echoed back), and as a number.
    EXPECT_EQ(answer_for_log(R"({"token":"Zq7S\/cr3t","profile":"https://s/p?token=Zq7S/cr3t"})"),
              R"({"token":"<hidden, 10 bytes>","profile":"https://s/p?token=<hidden>"})");
    EXPECT_EQ(answer_for_log(R"({"token": 73310042991, "rank":3})"),
              R"({"token": <hidden, 11 bytes>, "rank":3})");
    EXPECT_EQ(answer_for_log(std::string(5000, 'x')), std::string(4096, 'x') + "... (5000 bytes)");

    // The next start reads back 255 bytes of profile_token.txt: a longer login is not taken.
    const std::string longest(kMaxTokenBytes, 'k');
    SubmitReply r = parse_submit_reply("{\"accepted\":true,\"token\":\"" + longest + "k\"}");
    EXPECT_TRUE(r.accepted);
    EXPECT_FALSE(r.token.has_value());
    EXPECT_EQ(r.oversized_token_bytes, kMaxTokenBytes + 1);
    r = parse_submit_reply("{\"accepted\":true,\"token\":\"" + longest + "\"}");
    EXPECT_EQ(r.token.value(), longest);
    EXPECT_EQ(r.oversized_token_bytes, 0u);
}

TEST(WeekSeed, QuotedOrBare) {
    EXPECT_EQ(week_seed("{\"week\":44,\"seed\":\"8812\"}").value(), "8812");
    EXPECT_EQ(week_seed("{\"seed\": 8812 ,\"x\":1}").value(), "8812");
    EXPECT_EQ(week_seed("{\"seed\":8812}").value(), "8812");
    EXPECT_FALSE(week_seed("{\"seed\":null}").has_value());
    EXPECT_FALSE(week_seed("{\"seed\":\"\"}").has_value());
    EXPECT_FALSE(week_seed("<html>502 Bad Gateway</html>").has_value());
}

TEST(RequestBodies, EndpointAndSkipReport) {
    EXPECT_EQ(endpoint_url("http://h:8080/api///", "/submit"), "http://h:8080/api/submit");
    EXPECT_EQ(endpoint_url("http://h", "/submit"), "http://h/submit");
    EXPECT_EQ(skip_report_body("Mira", "receipt invalid"),
              "{\"player\":\"Mira\",\"reason\":\"receipt invalid\"}");
    const std::string hostile = skip_report_body("a\"b\\c", "x\ny");
    EXPECT_EQ(hostile, "{\"player\":\"a\\\"b\\\\c\",\"reason\":\"x\\ny\"}");
    EXPECT_TRUE(json_check::valid(hostile));

    std::string digest;
    for (int b : {0x00, 0x0f, 0x10, 0x9a, 0xff})
        digest += static_cast<char>(b);
    EXPECT_EQ(idempotency_key_header(digest), "Idempotency-Key: 000f109aff\r\n");
}

TEST(ProfileSite, OldLineRulesKept) {
    EXPECT_EQ(site_base_from_ini("server=x\nsite=https://race.example/\n"), "https://race.example");
    EXPECT_EQ(site_base_from_ini("site = \"https://q.example\"  \r\n"), "https://q.example");
    EXPECT_EQ(site_base_from_ini("site=https://a\nsite=\n"), "https://a");
    EXPECT_EQ(site_base_from_ini(" site=https://a\nsites=https://b\n"), "");
    EXPECT_EQ(site_base_from_ini(""), "");
}

TEST(FinalCard, PlanForEveryOutcome) {
    UploadOutcome o;
    o.total = "754.56";
    o.difficulty = "normal";
    o.ending = "true";
    o.rank = 3;
    o.points = 120;
    o.entry = "C:\\data\\pending\\p_1.json";

    o.result = UploadResult::accepted;
    FinalReportPlan p = plan_final_report(o);
    EXPECT_EQ(p.stage_line, "stage: upload done (ok=1)");
    EXPECT_EQ(p.pending_line, "");
    EXPECT_TRUE(p.card.ok);
    EXPECT_EQ(p.card.kind, "uploaded");

    for (UploadResult r : {UploadResult::unreachable, UploadResult::server_trouble}) {
        o.result = r;
        p = plan_final_report(o);
        EXPECT_EQ(p.stage_line, "stage: upload failed, saving pending");
        EXPECT_EQ(p.pending_line, "pending saved: C:\\data\\pending\\p_1.json");
        EXPECT_EQ(p.card.kind, "network");
        EXPECT_EQ(p.card.message,
                  "Network error. Result saved locally - it will retry next launch.");
    }
    // Not queued, so not sent: the card must not promise a retry.
    o.result = UploadResult::not_queued;
    p = plan_final_report(o);
    EXPECT_EQ(p.pending_line, "");
    EXPECT_EQ(p.card.message, "The result could not be saved yet - see launcher.log.");

    o.result = UploadResult::refused;
    o.error = "week window closed";
    p = plan_final_report(o);
    EXPECT_EQ(p.stage_line, "stage: upload done (ok=0)");
    EXPECT_EQ(p.pending_line, "");
    EXPECT_EQ(p.card.message, "This week has ended - result not counted");
    o.error = "banned";
    EXPECT_EQ(p.card.kind, "rejected");
    EXPECT_EQ(plan_final_report(o).card.message, "banned");

    for (UploadResult r :
         {UploadResult::not_finished, UploadResult::no_receipt, UploadResult::invalid_receipt}) {
        o.result = r;
        p = plan_final_report(o);
        EXPECT_EQ(p.stage_line, "stage: run not finished, nothing queued");
        EXPECT_EQ(p.pending_line, "");
        EXPECT_EQ(p.card.kind, "unfinished");
        EXPECT_EQ(p.card.message, "No finish detected - this run will not count.");
    }
}

TEST(FinalCard, KnownRefusals) {
    EXPECT_EQ(refusal_message("splits too few"), "incomplete result (too few splits)");
    EXPECT_EQ(refusal_message("Level 0"), "run did not start at Level 0 - not eligible");
    EXPECT_EQ(refusal_message("race is closed"), "The race is closed - result not counted");
    EXPECT_EQ(refusal_message("hard difficulty"), "Hard difficulty is not part of the race");
    EXPECT_EQ(refusal_message("something else"), "");
}

TEST(FinalCard, CommandLineQuotesEveryValue) {
    FinalCard card;
    card.ok = true;
    card.kind = "uploaded";
    card.total = "754.56";
    card.difficulty = "normal";
    card.ending = "main";
    card.rank = 3;
    card.points = 120;
    EXPECT_EQ(final_card_command_line("C:\\玩家 包\\kvr_result.exe", card),
              "\"C:\\玩家 包\\kvr_result.exe\" --ok \"1\" --kind \"uploaded\" --total \"754.56\" "
              "--difficulty \"normal\" --ending \"main\" --rank \"3\" --points \"120\" --msg \"\"");
    card.message = "say \"hi\" C:\\dir\\";
    const std::string cmd = final_card_command_line("k.exe", card);
    EXPECT_EQ(cmd.substr(cmd.find("--msg")), "--msg \"say hi C:\\dir\\\\\"");
}

TEST(FinalCard, ValuesHoldOnlyWhatAnArgumentCarries) {
    // A NUL would end the whole command line there; the plan already holds the values as the card
    // gets them, so both agree, a cut message keeping its "...".
    UploadOutcome o;
    o.result = UploadResult::refused;
    o.total = std::string("754\0.56", 7);
    o.difficulty = "nor\"mal\xFF";
    o.ending = "tr\x1bue\xC2\x85"; // ESC and U+0085
    for (int i = 0; i < 100; ++i)
        o.error += "\x80\xE5\xBC\xA0"; // a stray byte and 张
    const FinalCard card = plan_final_report(o).card;
    EXPECT_EQ(card.total, "754.56");
    EXPECT_EQ(card.difficulty, "normal");
    EXPECT_EQ(card.ending, "true");
    std::string shown;
    for (size_t i = 0; i < kMaxCardMessageChars; ++i)
        shown += "\xE5\xBC\xA0";
    EXPECT_EQ(card.message, shown + "...");
    const std::string cmd = final_card_command_line("k.exe", card);
    EXPECT_NE(cmd.find("--total \"754.56\" --difficulty \"normal\" --ending \"true\""),
              std::string::npos);
    EXPECT_EQ(cmd.substr(cmd.find("--msg")), "--msg \"" + card.message + "\"");
}

TEST(FinalCard, RunTimeForTheConsole) {
    EXPECT_EQ(run_time_text("754.56").value(), "12:34.56");
    // Rounded before minutes are split off, as on the card: never "12:60.00".
    EXPECT_EQ(run_time_text("779.995").value(), "13:00.00");
    EXPECT_EQ(run_time_text("\"59.5\"").value(), "0:59.50");
    EXPECT_FALSE(run_time_text("").has_value());
    EXPECT_FALSE(run_time_text("-3").has_value());
    EXPECT_FALSE(run_time_text("1e300").has_value());
}

TEST(FinalCard, HugeServerErrorStillFitsTheCardsCommandLine) {
    // 40,000 characters as a server's JSON encoder escapes them.
    std::string escaped = std::string(1000, ' ') + "\\u5468\\n";
    std::string shown = "周 ";
    for (int i = 0; i < 6500; ++i)
        escaped += "\\u8d5b";
    for (size_t i = 2; i < kMaxCardMessageChars; ++i)
        shown += "赛";
    UploadOutcome o;
    o.result = UploadResult::refused;
    o.total = std::string(50000, '9');
    o.error = parse_submit_reply("{\"error\":\"" + escaped + "\"}").error;
    const FinalCard card = plan_final_report(o).card;
    EXPECT_EQ(card.message, shown + "...");
    EXPECT_LT(final_card_command_line("C:\\kvr_result.exe", card).size(), 2000u);
}

TEST(DatedNames, PendingAndArchiveNames) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 9;
    t.tm_mday = 8;
    t.tm_hour = 7;
    t.tm_min = 5;
    t.tm_sec = 3;
    EXPECT_EQ(pending_file_name(t), "p_20261008_070503.json");
    EXPECT_EQ(archived_file_name("receipt", t), "receipt_20261008_070503.json");
    EXPECT_EQ(numbered_variant("p_20261008_070503.json", 2), "p_20261008_070503_2.json");
}
