#include "launcher_core/profile/profile_page.h"

#include "launcher_core/base/app_state.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/state_files.h"
#include "launcher_core/profile/profile_link.h"
#include "launcher_core/profile/profile_site.h"

#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/process.h"
#include "common/win32/win_error.h"
#include "common/win32/wide.h"

#include <cstdio>

namespace {
bool g_opened_this_run = false;
} // namespace

bool profile_page_was_opened(const LauncherConfig& cfg) {
    if (g_opened_this_run) return true;
    FILE* f = kvr::open_file(data_file(cfg, "profile_opened.flag"), "rb");
    if (!f) return false;
    fclose(f);
    return true;
}

void open_profile_page(const LauncherConfig& cfg, const std::string& token) {
    std::string ini;
    kvr::read_file(app_dir() + "launcher.ini", ini);
    // Like every launcher.ini value: a site saved in the ANSI code page is decoded here.
    std::string site = kvr::external_to_utf8(site_base_from_ini(ini));
    if (site.empty()) site = std::string(default_server_base());
    kvr::shell_open(profile_page_url(site, token));
    g_opened_this_run = true;
    kvr::write_file(data_file(cfg, "profile_opened.flag"), "1");
}

bool profile_token_saved(const LauncherConfig& cfg) {
    std::string saved;
    kvr::read_file(data_file(cfg, "profile_token.txt"), saved);
    return !kvr::trim(saved).empty();
}

void keep_profile_token(const LauncherConfig& cfg, const std::string& token) {
    set_profile_token(token);
    if (kvr::write_file_atomic(data_file(cfg, "profile_token.txt"), token))
        log_line("profile token saved");
    else
        log_line("profile token could not be saved (%s)", kvr::last_error_text().c_str());
    if (profile_page_was_opened(cfg)) return;
    open_profile_page(cfg, token);
    log_line("opened profile page (first time)");
}
