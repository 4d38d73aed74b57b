#include "launcher_core/base/app_state.h"

#include "common/text.h"
#include "common/win32/files.h"
#include "launcher_core/base/log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef KVR_PACKAGE_VERSION
#define KVR_PACKAGE_VERSION "dev"
#endif

namespace {
const char kBuildStamp[] = "2026-10-28 13:45";
std::string g_app_dir;
std::string g_profile_token;

void preload_profile_token() {
    FILE* f = kvr::open_file(g_app_dir + "profile_token.txt", "rb");
    if (!f) f = kvr::open_file(g_app_dir + "..\\data\\profile_token.txt", "rb");
    if (!f) return;
    char buf[256];
    const size_t n = fread(buf, 1, 255, f);
    fclose(f);
    g_profile_token = kvr::trim_right(std::string(buf, n), "\r\n ");
    log_line("profile token preloaded (%d bytes)", static_cast<int>(g_profile_token.size()));
}
} // namespace

const std::string& app_dir() {
    return g_app_dir;
}
const std::string& profile_token() {
    return g_profile_token;
}
void set_profile_token(const std::string& token) {
    g_profile_token = token;
}

void start_up() {
    g_app_dir = kvr::module_directory();
    const bool logging = log_open(g_app_dir + "launcher.log");
    const int error = logging ? 0 : errno; // _wfopen's reason
    log_line("=== KVR launcher start (build %s) ===", kBuildStamp);
    log_line("player package %s", KVR_PACKAGE_VERSION);
    // Not an error (the run goes on), but whoever reads the console should know why the file
    // stays silent: most often another program has it open.
    if (!logging)
        log_line("launcher.log could not be opened (%s), lines go to the console only",
                 std::strerror(error));
    preload_profile_token();
}
