#include "launcher_core/game/game_launch.h"

#include "launcher_core/base/log.h"
#include "launcher_core/base/state_files.h"
#include "launcher_core/game/mod_package.h"

#include "common/race_names.h"
#include "common/win32/files.h"
#include "common/win32/process.h"

#include <windows.h>

namespace {

unsigned long find_game() {
    return kvr::find_process_by_name(kvr::race::kGameExeWide);
}

// Looks for the game up to `polls` times, sleeping between looks.
unsigned long poll_for_game(unsigned long pid, int polls, unsigned long interval_ms) {
    for (int i = 0; i < polls && pid == 0; ++i) {
        Sleep(interval_ms);
        pid = find_game();
    }
    return pid;
}

// Hands the start to Steam; returns false when there is no Steam executable to start.
bool start_through_steam(const LauncherConfig& cfg) {
    const std::string steam = cfg.steam.empty() ? kDefaultSteamExe : cfg.steam;
    if (!kvr::path_exists(steam)) return false;
    const std::string appid = cfg.appid.empty() ? kDefaultAppId : cfg.appid;
    kvr::StartedProcess started;
    if (kvr::start_process("\"" + steam + "\" -applaunch " + appid, "", 0, started)) {
        log_line("steam started with -applaunch %s", appid.c_str());
        kvr::close_process(started);
    } else {
        log_line("failed to start steam (err %lu)", started.error);
    }
    return true;
}

// The game started from its own folder, as Steam would start it.
void start_directly(const LauncherConfig& cfg) {
    log_line("steam launch did not start the game, trying direct exe");
    kvr::StartedProcess started;
    if (kvr::start_process("\"" + cfg.game + "\"", game_directory_of(cfg.game), 0, started)) {
        log_line("launched game directly (fallback)");
        kvr::close_process(started);
    } else {
        log_line("direct launch failed (err %lu)", started.error);
    }
}

int wait_for_exit(const LauncherConfig& cfg, unsigned long pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) {
        log_line("cannot open game process (pid %lu)", pid);
        return 0;
    }
    log_line("game running (pid %lu), waiting for exit...", pid);
    write_launch_state(cfg, kvr::race::kPlaying);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    log_line("game exited");
    return 1;
}

} // namespace

int launch_game_and_wait(const LauncherConfig& cfg, const LaunchWaits& waits) {
    unsigned long pid = find_game();
    if (pid == 0) {
        if (start_through_steam(cfg))
            pid = poll_for_game(find_game(), waits.polls_after_steam, waits.poll_interval_ms);
        if (pid == 0 && !cfg.game.empty()) start_directly(cfg);
    }
    pid = poll_for_game(pid ? pid : find_game(), waits.polls_before_giving_up,
                        waits.poll_interval_ms);
    if (pid == 0) {
        log_line("game process did not appear within 120s");
        return 0;
    }
    return wait_for_exit(cfg, pid);
}
