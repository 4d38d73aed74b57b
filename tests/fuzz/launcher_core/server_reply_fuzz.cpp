// The race server's answers (submit and week.json): any status, any body, from a broken proxy
// as much as from the server, and the log lines made of them.
#include "launcher_core/server/server_reply.h"
#include "launcher_core/server/week_files.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int status = in.ConsumeIntegralInRange<int>(0, 999);
    const std::string body = in.ConsumeRemainingBytesAsString();

    const SubmitReply reply = parse_submit_reply(body);
    const SubmitVerdict verdict = submit_verdict(status, reply);
    // A redirect is not followed, so its body judges nothing, whatever it says.
    const bool redirect = status >= 300 && status <= 399;
    FUZZ_CHECK((verdict == SubmitVerdict::accepted) == (reply.accepted && !redirect));
    if (redirect) FUZZ_CHECK(verdict == SubmitVerdict::none);
    // An answer that judged nothing (an error page, bytes cut short) is never a refusal.
    if (verdict == SubmitVerdict::refused) FUZZ_CHECK(reply.refused || !reply.error.empty());
    if (reply.token) FUZZ_CHECK(reply.token->size() < body.size());
    FUZZ_CHECK(reply.error.size() < body.size() || reply.error.empty());

    const std::optional<std::string> seed = week_seed(body);
    if (seed) FUZZ_CHECK(!seed->empty() && *seed != "null" && seed->size() < body.size());

    // The answer's line in the log: one line, and never the login the answer carried.
    const std::string logged = answer_for_log(body);
    FUZZ_CHECK(is_one_log_line(logged));
    if (reply.token && reply.token->find("<hidden") == std::string::npos)
        FUZZ_CHECK(logged.find("\"token\":\"" + *reply.token + "\"") == std::string::npos);
    if (reply.token) FUZZ_CHECK(reply.token->size() <= kMaxTokenBytes);

    // The week sync's lines, with this answer for every file (and as week.json on disk).
    WeekSyncIo io;
    io.get = [&](std::string_view) { return WeekAnswer{true, false, status, body, ""}; };
    io.read = [&](std::string_view, std::string& bytes) {
        bytes = body;
        return true;
    };
    io.replace = [](std::string_view, std::string_view) { return true; };
    io.log = [](const std::string& line) { FUZZ_CHECK(is_one_log_line(line)); };
    io.why = [] { return std::string("Access is denied."); };
    sync_week_files(io);
    return 0;
}
