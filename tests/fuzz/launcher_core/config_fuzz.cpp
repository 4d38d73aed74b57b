// launcher.ini as a player may leave it: any bytes, any line ends, overlong lines.
#include "launcher_core/base/config.h"

#include "fuzz_check.h"

#include <cstdint>
#include <string>

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A value is one trimmed piece of one line, so it can never hold a line feed or outgrow fgets.
void check_value(const std::string& v) {
    FUZZ_CHECK(v.size() < 1023);
    FUZZ_CHECK(v.find('\n') == std::string::npos);
    FUZZ_CHECK(v.empty() || (!is_blank(v.front()) && !is_blank(v.back())));
    const std::string expanded =
        expand_placeholders_with(v, "C:\\Race\\", local_data_dir_from("C:\\Users\\x\\AppData"));
    FUZZ_CHECK(v.find('%') != std::string::npos || expanded == v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LauncherConfig c = parse_config(text);
    for (const std::string* v :
         {&c.game, &c.receipt, &c.data, &c.server, &c.steam, &c.appid, &c.player, &c.difficulty,
          &c.timer, &c.install_from, &c.livesplit, &c.livesplit_lss})
        check_value(*v);
    return 0;
}
