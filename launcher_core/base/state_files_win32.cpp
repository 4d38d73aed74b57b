#include "launcher_core/base/state_files.h"

#include "common/race_names.h"
#include "common/win32/files.h"

std::string data_file(const LauncherConfig& cfg, std::string_view name) {
    return cfg.data + "\\" + std::string(name);
}

void write_state_file(const LauncherConfig& cfg, std::string_view name, std::string_view word) {
    kvr::write_file(data_file(cfg, name), word);
}

void write_launch_state(const LauncherConfig& cfg, std::string_view word) {
    write_state_file(cfg, kvr::race::kLaunchState, word);
}

void write_upload_state(const LauncherConfig& cfg, std::string_view word) {
    write_state_file(cfg, kvr::race::kUploadState, word);
}

void write_timer_enabled(const LauncherConfig& cfg, std::string_view flag) {
    write_state_file(cfg, kvr::race::kTimerEnabled, flag);
}

void write_board_toggle(const LauncherConfig& cfg, std::string_view flag) {
    write_state_file(cfg, kvr::race::kBoardToggle, flag);
}

bool data_directory_writable(const LauncherConfig& cfg) {
    const std::string probe = data_file(cfg, "kvr_write_check.tmp");
    if (!kvr::write_file(probe, "")) return false;
    kvr::delete_file(probe);
    return true;
}
