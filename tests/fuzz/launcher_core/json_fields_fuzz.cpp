// The plain text search under every JSON field the launcher reads, with any key pattern and any
// text: spans stay inside the text and point at what the contract says.
#include "launcher_core/base/json_fields.h"

#include "common/utf8.h"

#include "fuzz_check.h"
#include "json_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string pattern = in.ConsumeRandomLengthString(16);
    const std::string text = in.ConsumeRemainingBytesAsString();

    if (const auto q = quoted_value_span(text, pattern)) {
        FUZZ_CHECK(q->begin >= 1 && q->begin <= q->end && q->end < text.size());
        FUZZ_CHECK(text[q->begin - 1] == '"' && text[q->end] == '"');
        FUZZ_CHECK(quoted_value(text, pattern)->size() == q->end - q->begin);
    }
    if (const auto b = bare_value_span(text, pattern)) {
        FUZZ_CHECK(b->begin <= b->end && b->end < text.size());
        FUZZ_CHECK(text[b->end] == ',' || text[b->end] == '}');
        FUZZ_CHECK(bare_value(text, pattern)->size() <= b->end - b->begin);
    }
    // The receipt is edited by splicing over these spans: in a valid JSON text, the span after
    // a key pattern is a whole value (or a string's whole content), so the text stays valid.
    std::string key;
    for (const char c : pattern)
        if (std::isalnum(static_cast<unsigned char>(c))) key += c;
    const std::string key_spelling = "\"" + (key.empty() ? "total" : key) + "\":";
    if (json_check::valid(text)) {
        if (const auto q = quoted_value_span(text, key_spelling)) {
            std::string edited = text;
            edited.replace(q->begin, q->end - q->begin, "ending");
            FUZZ_CHECK(json_check::valid(edited));
        }
        if (const auto b = bare_value_span(text, key_spelling)) {
            std::string edited = text;
            edited.replace(b->begin, b->end - b->begin, "49.50");
            FUZZ_CHECK(json_check::valid(edited));
        }
    }
    if (const std::string_view k = key_pattern(text, pattern); !k.empty())
        FUZZ_CHECK(k.substr(0, pattern.size()) == pattern && k.back() == ':');
    // Every escape is at least as long as what it stands for, and valid UTF-8 stays valid.
    const std::string unescaped = json_unescape(text);
    FUZZ_CHECK(unescaped.size() <= text.size());
    FUZZ_CHECK(!kvr::is_valid_utf8(text) || kvr::is_valid_utf8(unescaped));
    (void)leading_double(text);
    (void)leading_int(text);
    if (!pattern.empty())
        FUZZ_CHECK(count_occurrences(text, pattern) <= text.size() / pattern.size());
    return 0;
}
