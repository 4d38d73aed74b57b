// The checks the launcher runs on outside bytes before it keeps or sends them: the whole-JSON
// test (receipt, queued bodies, week files) and the escaping of text written to the log.
#include "launcher_core/base/complete_json.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/server/server_reply.h"

#include "fuzz_check.h"
#include "json_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const bool complete = is_complete_json(text);
    // Strict JSON is always complete: nothing the game or the server writes correctly is refused.
    if (json_check::valid(text)) FUZZ_CHECK(complete);
    // An object or array cut off anywhere before its closing bracket is never complete.
    const size_t first = text.find_first_not_of(" \t\r\n");
    const bool container = complete && (text[first] == '{' || text[first] == '[');
    if (container) {
        const size_t last = text.find_last_not_of(" \t\r\n");
        FUZZ_CHECK(!is_complete_json(text.substr(0, last)));
        FUZZ_CHECK(!is_complete_json(text.substr(0, first + size * 7919 % (last - first + 1))));
    }
    // A week JSON file replaces the cached copy only when it is a whole object or array.
    FUZZ_CHECK(week_file_problem("week.json", text).empty() == container);
    if (week_file_problem("board.tsv", text).empty())
        FUZZ_CHECK(text.find('\0') == std::string_view::npos);

    // A log line made of outside bytes (a Steam name, a path, a receipt value) stays one line,
    // character by character, and escaping it again changes nothing.
    const std::string line = log_safe(text);
    FUZZ_CHECK(is_one_log_line(line));
    FUZZ_CHECK(log_safe(line, SIZE_MAX) == line);
    FUZZ_CHECK(is_one_log_line(log_safe(text, size % 17)));
    return 0;
}
