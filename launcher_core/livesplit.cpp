#include "launcher_core/livesplit.h"

#include "launcher_core/format_text.h"
#include "launcher_core/log.h"
#include "launcher_core/message_box.h"

#include "common/win32/files.h"
#include "common/win32/process.h"

#include <vector>
#include <winsock2.h>
#include <windows.h>

namespace {

constexpr u_short kPort = 16834;
// A reply comes at once from a running LiveSplit; a few seconds is generous and bounds the
// cost of a server that accepts connections but never answers.
constexpr DWORD kReplyTimeoutMs = 3000;
constexpr size_t kMaxReplyBytes = 511;
constexpr int kProbeAttempts = 30;
constexpr DWORD kProbePauseMs = 500;

const char* const kDefaultExes[] = {"C:\\Program Files\\LiveSplit\\LiveSplit.exe",
                                    "C:\\Program Files (x86)\\LiveSplit\\LiveSplit.exe"};

const char kReminderText[] =
    "提醒：还没连上 LiveSplit 的计时服务器。\n\n现在就可以去开：\n右键 LiveSplit → Control → "
    "Start TCP Server\n\n这个不影响启动游戏，你可以在跑之前随时开。\n不开的话成绩不会自动上传。"
    "\n\n点「确定」继续进入游戏。";

enum class Reply {
    answered, // a non-empty line came back
    silent,   // connected, but nothing came within the time-out
    none,     // unreachable, closed or blank
};

// One TCP connection to LiveSplit, with the socket library held for its lifetime.
struct Connection {
    SOCKET s = INVALID_SOCKET;
    bool started = false;

    Connection() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (!started) return;
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) return;
        const DWORD ms = kReplyTimeoutMs;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(kPort);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
            closesocket(s);
            s = INVALID_SOCKET;
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        if (s != INVALID_SOCKET) closesocket(s);
        if (started) WSACleanup();
    }
    bool connected() const { return s != INVALID_SOCKET; }

    // Sends the command with CR LF and reads its reply up to a line feed.
    Reply exchange(const std::string& command, std::string& reply) {
        reply.clear();
        const std::string line = command + "\r\n";
        if (send(s, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size()))
            return Reply::none;
        std::string got;
        while (got.size() < kMaxReplyBytes && got.find('\n') == std::string::npos) {
            char buf[kMaxReplyBytes];
            const int n = recv(s, buf, static_cast<int>(kMaxReplyBytes - got.size()), 0);
            if (n > 0) {
                got.append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && WSAGetLastError() == WSAETIMEDOUT && got.empty()) return Reply::silent;
            break;
        }
        reply = livesplit_reply_line(got);
        return reply.empty() ? Reply::none : Reply::answered;
    }
};

Reply query(const std::string& command, std::string& reply) {
    reply.clear();
    Connection c;
    if (!c.connected()) return Reply::none;
    return c.exchange(command, reply);
}

std::string first_default_livesplit() {
    for (const char* exe : kDefaultExes)
        if (kvr::path_exists(exe)) return exe;
    return {};
}

unsigned long running_livesplit() {
    return kvr::find_process_by_name(L"LiveSplit.exe");
}

bool start_livesplit(const LauncherConfig& cfg, unsigned long& error) {
    kvr::StartedProcess started;
    if (!kvr::start_process("\"" + cfg.livesplit + "\" \"" + cfg.livesplit_lss + "\"", "", 0,
                            started)) {
        error = started.error;
        return false;
    }
    kvr::close_process(started);
    return true;
}

void start_step(LauncherConfig& cfg) {
    if (!kvr::path_exists(cfg.livesplit)) {
        const std::string found = first_default_livesplit();
        if (!found.empty()) {
            cfg.livesplit = found;
            log_line("livesplit found at %s", cfg.livesplit.c_str());
        }
    }
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

// Waits for the TCP server, which the player may still have to switch on. A server that
// accepts but stays silent is not retried: it would cost the time-out on every attempt.
void probe_step() {
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        if (attempt > 0) Sleep(kProbePauseMs);
        std::string phase;
        const Reply r = query("getcurrenttimerphase", phase);
        if (r == Reply::answered) {
            log_line("livesplit tcp server reachable (phase=%s)", log_safe(phase).c_str());
            return;
        }
        if (r == Reply::silent) break;
    }
    log_line("WARNING: livesplit tcp server not reachable");
    show_message_box(kReminderText, BoxIcon::information);
}

} // namespace

std::string livesplit_query(const std::string& command) {
    std::string reply;
    query(command, reply);
    return reply;
}

LiveSplitReading read_livesplit() {
    LiveSplitReading reading;
    Connection c;
    if (!c.connected()) return reading;
    int silent_replies = c.exchange("getcurrenttimerphase", reading.phase) == Reply::silent;
    std::vector<const char*> commands;
    if (reading.phase == "Ended") commands.push_back("getfinaltime");
    commands.push_back("getlastsplittime");
    commands.push_back("getcurrenttime");
    for (const char* command : commands) {
        std::string reply;
        // A second silence means the server is hung, not merely ignoring one command.
        if (c.exchange(command, reply) == Reply::silent && ++silent_replies > 1) break;
        if (const auto t = parse_livesplit_time(reply)) {
            reading.time = t;
            break;
        }
    }
    return reading;
}

bool livesplit_read_run_time(double& seconds) {
    const LiveSplitReading reading = read_livesplit();
    if (!reading.time) return false;
    seconds = *reading.time;
    return true;
}

void fix_livesplit_layout(const std::string& livesplit_exe) {
    const size_t cut = livesplit_exe.rfind('\\');
    if (cut == std::string::npos) return;
    const std::string dir = livesplit_exe.substr(0, cut);
    const std::string settings = dir + "\\settings.cfg";
    std::string text;
    if (!kvr::read_file(settings, text) || text.empty()) return;
    const std::string wanted = dir + "\\mirelle.lsl";
    const LayoutFix fix = point_layout_at(text, wanted);
    if (!fix.changed) return;
    // LiveSplit's only copy of its settings: replaced whole or not at all.
    if (kvr::write_file_atomic(settings, fix.text))
        log_line("livesplit layout path fixed to %s", wanted.c_str());
    else
        log_line("livesplit layout path could not be written to %s", settings.c_str());
}

void livesplit_early_start(LauncherConfig& cfg) {
    if (cfg.livesplit.empty()) return;
    fix_livesplit_layout(cfg.livesplit);
    if (cfg.livesplit_lss.empty() || running_livesplit()) return;
    if (!kvr::path_exists(cfg.livesplit)) {
        const std::string found = first_default_livesplit();
        if (!found.empty()) cfg.livesplit = found;
    }
    unsigned long error = 0;
    if (!kvr::path_exists(cfg.livesplit) || !start_livesplit(cfg, error)) return;
    log_line("livesplit started early (before chooser)");
    console_print("LiveSplit loading in background, please wait 1-3s...\n");
}

void livesplit_start_and_probe(LauncherConfig& cfg) {
    if (!cfg.livesplit.empty() && !cfg.livesplit_lss.empty()) start_step(cfg);
    if (!cfg.livesplit.empty()) probe_step();
}
