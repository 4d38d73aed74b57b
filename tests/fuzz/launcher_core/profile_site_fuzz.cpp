// launcher.ini's "site" line as the profile page reads it: any bytes.
#include "launcher_core/profile/profile_site.h"

#include "fuzz_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view ini(reinterpret_cast<const char*>(data), size);
    const std::string site = site_base_from_ini(ini);
    // One piece of one line, with its line end and trailing slashes gone.
    FUZZ_CHECK(site.size() < 511);
    FUZZ_CHECK(site.find('\n') == std::string::npos);
    FUZZ_CHECK(site.empty() || (site.back() != '/' && site.front() != ' '));
    return 0;
}
