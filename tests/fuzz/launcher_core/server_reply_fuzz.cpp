// The race server's answers (submit and week.json): any status, any body, from a broken proxy
// as much as from the server.
#include "launcher_core/server_reply.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int status = in.ConsumeIntegralInRange<int>(0, 999);
    const std::string body = in.ConsumeRemainingBytesAsString();

    const SubmitReply reply = parse_submit_reply(body);
    const SubmitVerdict verdict = submit_verdict(status, reply);
    FUZZ_CHECK((verdict == SubmitVerdict::accepted) == reply.accepted);
    // An answer that judged nothing (an error page, bytes cut short) is never a refusal.
    if (verdict == SubmitVerdict::refused) FUZZ_CHECK(reply.refused || !reply.error.empty());
    if (reply.token) FUZZ_CHECK(reply.token->size() < body.size());
    FUZZ_CHECK(reply.error.size() < body.size() || reply.error.empty());

    const std::optional<std::string> seed = week_seed(body);
    if (seed) FUZZ_CHECK(!seed->empty() && *seed != "null" && seed->size() < body.size());
    return 0;
}
