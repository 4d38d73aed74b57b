// Judging a run from whatever the in-game script left behind (the receipt or kvrw_result.json,
// truncated, empty or garbled), with LiveSplit's reply and the player's name as they came.
#include "launcher_core/base/json_fields.h"
#include "launcher_core/result/receipt_judge.h"

#include "fuzz_check.h"
#include "json_check.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

RunInputs inputs_from(FuzzedDataProvider& in) {
    RunInputs r;
    r.server_configured = in.ConsumeIntegralInRange<int>(0, 15) != 0;
    r.source = in.ConsumeBool() ? ReceiptSource::kvrw_result : ReceiptSource::receipt;
    r.kvrw_result_unreadable = r.source == ReceiptSource::receipt && in.ConsumeBool();
    static const char* const phases[] = {"", "Ended", "Running", "NotRunning", "Paused"};
    const size_t phase = in.ConsumeIntegralInRange<size_t>(0, 5);
    r.livesplit.phase = phase < 5 ? phases[phase] : in.ConsumeRandomLengthString(16);
    r.livesplit.time = parse_livesplit_time(in.ConsumeRandomLengthString(24));
    r.player = in.ConsumeRandomLengthString(32);
    r.player_id = in.ConsumeRandomLengthString(20);
    r.difficulty = in.ConsumeRandomLengthString(12);
    const bool readable = in.ConsumeIntegralInRange<int>(0, 15) != 0;
    const std::string text = in.ConsumeRemainingBytesAsString();
    if (readable) r.text = text;
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const RunInputs r = inputs_from(in);
    const RunJudgement j = judge_run(r);

    FUZZ_CHECK(!j.log.empty());
    // Receipt values, LiveSplit's phase and map names go into these lines: each stays one line.
    for (const std::string& line : j.log)
        FUZZ_CHECK(is_one_log_line(line));
    if (j.verdict != RunVerdict::submit) {
        FUZZ_CHECK(j.payload.empty());
        return 0;
    }
    FUZZ_CHECK(r.server_configured && r.text && !r.text->empty() && r.text->front() == '{');
    FUZZ_CHECK(j.payload.rfind("{\"player\":\"", 0) == 0);
    // The card is told what the body carries: the configured difficulty only when the receipt
    // has no difficulty of its own, and no ending when the receipt has none.
    if (key_pattern(j.text, "\"difficulty\"").empty()) FUZZ_CHECK(!j.difficulty.empty());
    if (key_pattern(j.text, "\"ending\"").empty()) FUZZ_CHECK(j.ending.empty());
    // The receipt is edited in place and sent as the body's fields: a receipt that was valid
    // JSON must still be valid JSON, and so must the body, whatever the names hold. A quoted
    // ending then always holds a known one (garbage may lose the key to a neighbouring splice).
    if (json_check::valid(*r.text)) {
        FUZZ_CHECK(json_check::valid(j.text));
        FUZZ_CHECK(json_check::valid(j.payload));
        if (key_pattern(j.text, "\"ending\"") == "\"ending\":" &&
            quoted_value(j.text, "\"ending\":"))
            FUZZ_CHECK(j.ending == "main" || j.ending == "true" || j.ending == "arcade");
    }
    return 0;
}
