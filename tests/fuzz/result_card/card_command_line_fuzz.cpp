// The final card's command line as the launcher core writes it, split as Windows splits it and
// read by kvr_result: every value must arrive as the one argument it was, whatever the server's
// answer or the receipt put into it.
#include "launcher_core/final_card.h"
#include "launcher_core/server_reply.h"
#include "result_card/result_options.h"

#include "common/utf8.h"
#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

// The arguments after the program name, by the rules of CommandLineToArgvW.
std::vector<std::string> windows_args(std::string_view cmd) {
    size_t i = 0;
    if (!cmd.empty() && cmd[0] == '"') {
        i = cmd.find('"', 1);
        i = i == std::string_view::npos ? cmd.size() : i + 1;
    }
    while (i < cmd.size() && cmd[i] != ' ' && cmd[i] != '\t')
        ++i;
    std::vector<std::string> args;
    for (;;) {
        while (i < cmd.size() && (cmd[i] == ' ' || cmd[i] == '\t'))
            ++i;
        if (i == cmd.size()) return args;
        std::string arg;
        bool quoted = false;
        while (i < cmd.size() && (quoted || (cmd[i] != ' ' && cmd[i] != '\t'))) {
            if (cmd[i] == '\\') {
                size_t n = 0;
                while (i < cmd.size() && cmd[i] == '\\')
                    ++n, ++i;
                if (i < cmd.size() && cmd[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) arg += cmd[i++];
                } else {
                    arg.append(n, '\\');
                }
            } else if (cmd[i] == '"') {
                if (quoted && i + 1 < cmd.size() && cmd[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += cmd[i++];
            }
        }
        args.push_back(arg);
    }
}

// What a value on the command line may hold: UTF-8 text without control characters and quotes.
bool carried_whole(std::string_view s) {
    for (size_t i = 0, len; i < s.size(); i += len) {
        char32_t c = 0;
        if ((len = kvr::next_utf8_char(s, i, c)) == 0 || kvr::is_control_char(c) || c == '"')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    UploadOutcome outcome;
    outcome.result = static_cast<UploadResult>(
        in.ConsumeIntegralInRange<int>(0, static_cast<int>(UploadResult::accepted)));
    outcome.total = in.ConsumeRandomLengthString(80);
    outcome.difficulty = in.ConsumeRandomLengthString(12);
    outcome.ending = in.ConsumeRandomLengthString(8);
    outcome.rank = in.ConsumeIntegral<int>();
    outcome.points = in.ConsumeIntegral<int>();
    outcome.entry = in.ConsumeBool() ? "C:\\data\\pending\\p_20261209_101500.json" : "";
    outcome.error = parse_submit_reply(in.ConsumeRemainingBytesAsString()).error;

    const FinalReportPlan plan = plan_final_report(outcome);
    const FinalCard& card = plan.card;
    const std::string cmd = final_card_command_line("C:\\Race Kit\\kvr_result.exe", card);
    const std::vector<std::string> args = windows_args(cmd);

    // Eight options, each followed by its value exactly as the plan holds it.
    const std::pair<const char*, std::string> expected[] = {
        {"--ok", card.ok ? "1" : "0"},
        {"--kind", card.kind},
        {"--total", card.total},
        {"--difficulty", card.difficulty},
        {"--ending", card.ending},
        {"--rank", std::to_string(card.rank)},
        {"--points", std::to_string(card.points)},
        {"--msg", card.message},
    };
    for (const auto& [option, value] : expected)
        FUZZ_CHECK(carried_whole(value));
    FUZZ_CHECK(args.size() == 2 * std::size(expected));
    for (size_t k = 0; k < std::size(expected); ++k) {
        FUZZ_CHECK(args[2 * k] == expected[k].first);
        FUZZ_CHECK(args[2 * k + 1] == expected[k].second);
    }

    const ResultOptions o = parse_result_options(args);
    FUZZ_CHECK(o.ok == card.ok);
    FUZZ_CHECK(o.kind_given && o.kind != RunKind::unknown);
    FUZZ_CHECK(o.message == expected[7].second);
    FUZZ_CHECK(o.points == card.points);
    FUZZ_CHECK(card.rank >= 1 ? o.rank == card.rank : !o.rank);
    return 0;
}
