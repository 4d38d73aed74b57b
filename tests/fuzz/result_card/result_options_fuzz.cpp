// kvr_result's arguments as anyone may start it (a NUL byte separates them), and the
// upload.state file the progress card polls.
#include "result_card/result_view.h"

#include "fuzz_check.h"

#include <cmath>
#include <cstdint>

namespace {

std::vector<std::string> split_args(std::string_view bytes) {
    std::vector<std::string> args;
    size_t start = 0;
    for (size_t nul; (nul = bytes.find('\0', start)) != std::string_view::npos; start = nul + 1)
        args.emplace_back(bytes.substr(start, nul - start));
    args.emplace_back(bytes.substr(start));
    return args;
}

bool one_of_or_empty(const std::string& s, std::initializer_list<const char*> words) {
    if (s.empty()) return true;
    for (const char* w : words)
        if (s == w) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ResultOptions o = parse_result_options(split_args(bytes));
    // Malformed values read as absent; what is kept is within its documented range.
    if (o.total_seconds) FUZZ_CHECK(std::isfinite(*o.total_seconds) && *o.total_seconds >= 0);
    if (o.rank) FUZZ_CHECK(*o.rank >= 1);
    FUZZ_CHECK(one_of_or_empty(o.difficulty, {"easy", "normal", "nightmare"}));
    FUZZ_CHECK(one_of_or_empty(o.ending, {"main", "true", "arcade"}));

    const FinalCardText card = final_card_text(o);
    FUZZ_CHECK(!card.title.empty() && !card.time.empty());
    if (!card.rank_line.empty()) FUZZ_CHECK(card.outcome == Outcome::uploaded);

    const bool finished = upload_finished(bytes);
    FUZZ_CHECK(!finished || bytes.find("done") != std::string_view::npos ||
               bytes.find("fail") != std::string_view::npos);
    return 0;
}
