#include "launcher_core/livesplit/livesplit_steps.h"

#include "launcher_core/base/format_text.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/message_box.h"
#include "launcher_core/livesplit/livesplit_client.h"

#include "common/win32/files.h"
#include "common/win32/process.h"
#include "common/win32/win_error.h"

#include <windows.h>

namespace {

constexpr int kProbeAttempts = 30;
constexpr DWORD kProbePauseMs = 500;

const char* const kDefaultExes[] = {"C:\\Program Files\\LiveSplit\\LiveSplit.exe",
                                    "C:\\Program Files (x86)\\LiveSplit\\LiveSplit.exe"};

const char kReminderText[] =
    "提醒：还没连上 LiveSplit 的计时服务器。\n\n现在就可以去开：\n右键 LiveSplit → Control → "
    "Start TCP Server\n\n这个不影响启动游戏，你可以在跑之前随时开。\n不开的话成绩不会自动上传。"
    "\n\n点「确定」继续进入游戏。";

// What the server the player should restart did: connected but silent, or it took no
// connection at all. A switched-off server refuses at once instead. A newer LiveSplit can serve
// WebSocket on the same port instead, which answers nothing to text commands.
const char kRestartText[] =
    "提醒：LiveSplit 的计时服务器没有回应，可能卡住了。\n\n建议关掉 LiveSplit 再重新打开，然后：\n"
    "右键 LiveSplit → Control → Start TCP Server\n（选 TCP Server，不要选 WebSocket Server）"
    "\n\n这个不影响启动游戏，成绩照常上传。\n\n点「确定」继续进入游戏。";

// A configured LiveSplit that is not there gives way to the first installed one; true when it
// did.
bool take_installed_livesplit(LauncherConfig& cfg) {
    if (kvr::path_exists(cfg.livesplit)) return false;
    for (const char* exe : kDefaultExes) {
        if (!kvr::path_exists(exe)) continue;
        cfg.livesplit = exe;
        return true;
    }
    return false;
}

unsigned long running_livesplit() {
    return kvr::find_process_by_name(L"LiveSplit.exe");
}

// LiveSplit's directory: the executable's path up to its last backslash; empty without one.
std::string livesplit_dir(const std::string& livesplit_exe) {
    const size_t cut = livesplit_exe.rfind('\\');
    return cut == std::string::npos ? std::string() : livesplit_exe.substr(0, cut);
}

std::string race_layout_in(const std::string& dir) {
    return dir + "\\mirelle.lsl";
}

// On the race splits, and on the race layout when LiveSplit's folder holds it: "-l" shows it
// whatever settings.cfg says (LiveSplit writes that file back from memory when it exits).
bool start_livesplit(const LauncherConfig& cfg, unsigned long& error) {
    const std::string dir = livesplit_dir(cfg.livesplit);
    std::string layout = dir.empty() ? std::string() : race_layout_in(dir);
    if (!layout.empty() && !kvr::path_exists(layout)) layout.clear();
    kvr::StartedProcess started;
    if (!kvr::start_process(livesplit_command_line(cfg.livesplit, cfg.livesplit_lss, layout), "", 0,
                            started)) {
        error = started.error;
        return false;
    }
    kvr::close_process(started);
    return true;
}

void start_step(LauncherConfig& cfg) {
    if (take_installed_livesplit(cfg)) log_line("livesplit found at %s", cfg.livesplit.c_str());
    if (const unsigned long pid = running_livesplit()) {
        log_line("livesplit already running (pid %lu), not opening another", pid);
        return;
    }
    unsigned long error = 0;
    if (start_livesplit(cfg, error))
        log_line("livesplit started with splits arg");
    else
        log_line("livesplit failed to start (err %lu)", error);
}

// Waits for the TCP server, which the player may still have to switch on. A server that takes
// the connection but stays silent, or never completes it, is not retried: it would cost the
// time-out on every attempt, and switching the server on is not what it needs.
LiveSplitReading probe_step() {
    LiveSplitReply r = LiveSplitReply::none;
    std::string phase;
    auto reached = [&] {
        log_line("livesplit tcp server reachable (phase=%s)", log_safe(phase).c_str());
        // An attempt LiveSplit ended stays "Ended" until the player resets it; its time, read
        // now, tells that end from the end of the run to come.
        return phase == "Ended" ? read_livesplit(ReadingMoment::before_the_game)
                                : LiveSplitReading{phase, std::nullopt};
    };
    // Bounded in time as well as in attempts: a port that takes each connection and drops it
    // seconds later would otherwise cost those seconds thirty times.
    const ULONGLONG deadline = GetTickCount64() + kProbeAttempts * kProbePauseMs;
    for (int attempt = 0; attempt < kProbeAttempts && GetTickCount64() < deadline; ++attempt) {
        if (attempt > 0) Sleep(kProbePauseMs);
        phase = livesplit_query("getcurrenttimerphase", &r);
        if (r == LiveSplitReply::answered) return reached();
        if (r == LiveSplitReply::silent || r == LiveSplitReply::not_accepted) break;
    }
    if (r == LiveSplitReply::none) {
        log_line("WARNING: livesplit tcp server not reachable");
        show_message_box(kReminderText, BoxIcon::information);
        // The box asks the player to switch the server on now: only a phase read before the
        // game lets LiveSplit's time count for this run.
        phase = livesplit_query("getcurrenttimerphase", &r);
        return r == LiveSplitReply::answered ? reached() : LiveSplitReading{};
    }
    log_line(r == LiveSplitReply::silent
                 ? "WARNING: livesplit tcp server connected but did not answer within 3 s"
                 : "WARNING: livesplit tcp server did not accept the connection within 3 s");
    show_message_box(kRestartText, BoxIcon::information);
    return {};
}

} // namespace

void fix_livesplit_layout(const std::string& livesplit_exe) {
    const std::string dir = livesplit_dir(livesplit_exe);
    if (dir.empty()) return;
    const std::string settings = dir + "\\settings.cfg";
    std::string text;
    if (!kvr::read_file(settings, text) || text.empty()) return;
    const std::string wanted = race_layout_in(dir);
    const LayoutFix fix = point_layout_at(text, wanted);
    if (!fix.changed) return;
    // LiveSplit's only copy of its settings: replaced whole or not at all.
    if (kvr::write_file_atomic(settings, fix.text))
        log_line("livesplit layout path fixed to %s", wanted.c_str());
    else
        log_line("livesplit layout path could not be written to %s (%s)",
                 log_safe(settings).c_str(), kvr::last_error_text().c_str());
}

void livesplit_early_start(LauncherConfig& cfg) {
    if (cfg.livesplit.empty()) return;
    fix_livesplit_layout(cfg.livesplit);
    if (cfg.livesplit_lss.empty() || running_livesplit()) return;
    take_installed_livesplit(cfg);
    unsigned long error = 0;
    if (!kvr::path_exists(cfg.livesplit) || !start_livesplit(cfg, error)) return;
    log_line("livesplit started early (before chooser)");
    console_print("LiveSplit loading in background, please wait 1-3s...\n");
}

LiveSplitReading livesplit_start_and_probe(LauncherConfig& cfg) {
    if (!cfg.livesplit.empty() && !cfg.livesplit_lss.empty()) start_step(cfg);
    if (cfg.livesplit.empty()) return {};
    return probe_step();
}

std::optional<int> race_splits_segments(const LauncherConfig& cfg) {
    std::string lss;
    if (cfg.livesplit_lss.empty() || !kvr::read_file(cfg.livesplit_lss, lss)) return std::nullopt;
    const int segments = count_lss_segments(lss);
    return segments > 0 ? std::optional(segments) : std::nullopt;
}
