#include "launcher_core/livesplit/livesplit.h"

#include "launcher_core/base/format_text.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/message_box.h"

#include "common/win32/files.h"
#include "common/win32/process.h"

#include <optional>
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

// What the server the player should restart did: connected but silent, or it took no
// connection at all. A switched-off server refuses at once instead. A newer LiveSplit can serve
// WebSocket on the same port instead, which answers nothing to text commands.
const char kRestartText[] =
    "提醒：LiveSplit 的计时服务器没有回应，可能卡住了。\n\n建议关掉 LiveSplit 再重新打开，然后：\n"
    "右键 LiveSplit → Control → Start TCP Server\n（选 TCP Server，不要选 WebSocket Server）"
    "\n\n这个不影响启动游戏，成绩照常上传。\n\n点「确定」继续进入游戏。";

enum class Reply {
    answered,     // a non-empty line came back
    silent,       // connected, but nothing came within the time-out
    not_accepted, // the port did not complete the connection within the time-out
    none,         // refused, closed or blank
};

// connect() on a blocking socket has no time-out of its own (the receive and send time-outs do
// not bound it): a port that never completes the handshake would cost some 20 s per attempt.
// So the connection is made without blocking and waited for. Winsock reports a refused
// connection in the except set rather than the write set; SO_ERROR settles it either way.
bool connect_within(SOCKET s, DWORD ms, bool& timed_out) {
    timed_out = false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(kPort);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    u_long nonblocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonblocking) != 0) return false;
    bool connected = connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        FD_ZERO(&failed);
        FD_SET(s, &failed);
        timeval limit{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
        const int ready = select(0, nullptr, &writable, &failed, &limit);
        int error = 0;
        int size = sizeof error;
        timed_out = ready == 0;
        connected =
            ready > 0 && FD_ISSET(s, &writable) && !FD_ISSET(s, &failed) &&
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
            error == 0;
    }
    // Blocking again: the receive and send time-outs apply to blocking calls only.
    u_long blocking = 0;
    return connected && ioctlsocket(s, FIONBIO, &blocking) == 0;
}

// One TCP connection to LiveSplit, with the socket library held for its lifetime. After a
// receive has timed out the connection is in an undefined state (Winsock): it takes no further
// command.
struct Connection {
    SOCKET s = INVALID_SOCKET;
    bool started = false;
    bool handshake_timed_out = false;

    Connection() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (!started) return;
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) return;
        const DWORD ms = kReplyTimeoutMs;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        if (!connect_within(s, kReplyTimeoutMs, handshake_timed_out)) close();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        close();
        if (started) WSACleanup();
    }
    void close() {
        if (s != INVALID_SOCKET) closesocket(s);
        s = INVALID_SOCKET;
    }
    bool connected() const { return s != INVALID_SOCKET; }

    // Sends the command with CR LF and reads its reply up to a line feed.
    Reply exchange(const std::string& command, std::string& reply) {
        reply.clear();
        if (!connected()) return Reply::none;
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
            if (n < 0 && WSAGetLastError() == WSAETIMEDOUT) {
                close();
                if (got.empty()) return Reply::silent;
            }
            break;
        }
        reply = livesplit_reply_line(got);
        return reply.empty() ? Reply::none : Reply::answered;
    }
};

Reply query(const std::string& command, std::string& reply) {
    reply.clear();
    Connection c;
    if (!c.connected()) return c.handshake_timed_out ? Reply::not_accepted : Reply::none;
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

// Waits for the TCP server, which the player may still have to switch on. A server that takes
// the connection but stays silent, or never completes it, is not retried: it would cost the
// time-out on every attempt, and switching the server on is not what it needs.
LiveSplitReading probe_step() {
    Reply r = Reply::none;
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        if (attempt > 0) Sleep(kProbePauseMs);
        std::string phase;
        r = query("getcurrenttimerphase", phase);
        if (r == Reply::answered) {
            log_line("livesplit tcp server reachable (phase=%s)", log_safe(phase).c_str());
            // An attempt LiveSplit ended stays "Ended" until the player resets it; its time,
            // read now, tells that end from the end of the run to come.
            return phase == "Ended" ? read_livesplit() : LiveSplitReading{phase, std::nullopt};
        }
        if (r == Reply::silent || r == Reply::not_accepted) break;
    }
    if (r == Reply::none) {
        log_line("WARNING: livesplit tcp server not reachable");
        show_message_box(kReminderText, BoxIcon::information);
        return {};
    }
    log_line(r == Reply::silent
                 ? "WARNING: livesplit tcp server connected but did not answer within 3 s"
                 : "WARNING: livesplit tcp server did not accept the connection within 3 s");
    show_message_box(kRestartText, BoxIcon::information);
    return {};
}

} // namespace

std::string livesplit_query(const std::string& command) {
    std::string reply;
    query(command, reply);
    return reply;
}

LiveSplitReading read_livesplit() {
    LiveSplitReading reading;
    std::optional<Connection> c(std::in_place);
    if (!c->connected()) return reading;
    int silences = 0;
    // False once the server has been silent twice: then it is hung, not merely ignoring one
    // command. A command after a silence goes over a fresh connection.
    auto ask = [&](const char* command, std::string& reply) {
        if (!c->connected()) c.emplace();
        if (c->exchange(command, reply) != Reply::silent) return true;
        return ++silences < 2;
    };
    if (!ask("getcurrenttimerphase", reading.phase)) return reading;
    std::vector<const char*> commands;
    if (reading.phase == "Ended") commands.push_back("getfinaltime");
    commands.push_back("getlastsplittime");
    commands.push_back("getcurrenttime");
    for (const char* command : commands) {
        std::string reply;
        if (!ask(command, reply)) break;
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

LiveSplitReading livesplit_start_and_probe(LauncherConfig& cfg) {
    if (!cfg.livesplit.empty() && !cfg.livesplit_lss.empty()) start_step(cfg);
    if (cfg.livesplit.empty()) return {};
    return probe_step();
}
