#include "launcher_core/profile_page.h"

#include "launcher_core/app_state.h"
#include "launcher_core/profile_link.h"
#include "launcher_core/profile_site.h"
#include "launcher_core/state_files.h"

#include "common/win32/files.h"
#include "common/win32/process.h"

#include <cstdio>

bool profile_page_was_opened(const LauncherConfig& cfg) {
    FILE* f = kvr::open_file(data_file(cfg, "profile_opened.flag"), "rb");
    if (!f) return false;
    fclose(f);
    return true;
}

void open_profile_page(const LauncherConfig& cfg, const std::string& token) {
    std::string ini;
    kvr::read_file(app_dir() + "launcher.ini", ini);
    std::string site = site_base_from_ini(ini);
    if (site.empty()) site = std::string(default_server_base());
    kvr::shell_open(profile_page_url(site, token));
    kvr::write_file(data_file(cfg, "profile_opened.flag"), "1");
}
