#include "launcher_core/profile/profile_site.h"

#include "common/text.h"

namespace {

std::string site_value_of_line(std::string_view line) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    if (kvr::trim_right(line.substr(0, eq), " \r\n") != "site") return {};
    std::string value = kvr::trim_right(line.substr(eq + 1), " \r\n\"");
    const size_t quote = value.find('"');
    if (quote != std::string::npos) value.erase(0, quote + 1);
    const size_t first = value.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : value.substr(first);
}

} // namespace

std::string site_base_from_ini(std::string_view text) {
    std::string site;
    while (!text.empty()) {
        // A longer line is read in 511-byte pieces, each a line of its own.
        size_t end = text.find('\n');
        end = end == std::string_view::npos ? text.size() : end + 1;
        if (end > 511) end = 511;
        const std::string value = site_value_of_line(text.substr(0, end));
        if (!value.empty()) site = value;
        text.remove_prefix(end);
    }
    return kvr::strip_trailing_slashes(site);
}
