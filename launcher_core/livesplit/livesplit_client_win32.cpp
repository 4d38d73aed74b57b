#include "launcher_core/livesplit/livesplit_client.h"

#include "common/win32/scoped_handle.h"

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

struct SocketCloser {
    using Handle = SOCKET;
    static Handle empty() { return INVALID_SOCKET; }
    static void close(Handle h) { closesocket(h); }
};

// The socket library, held while it is used: every WSAStartup that succeeded gets its
// WSACleanup.
struct Winsock {
    bool started = false;
    Winsock() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock() {
        if (started) WSACleanup();
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
};

// One TCP connection to LiveSplit. After a receive has timed out the connection is in an
// undefined state (Winsock): it takes no further command.
struct Connection {
    Winsock winsock; // first: it outlives the socket
    kvr::Scoped<SocketCloser> s;
    bool handshake_timed_out = false;

    Connection() {
        if (!winsock.started) return;
        s.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!s) return;
        const DWORD ms = kReplyTimeoutMs;
        setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        if (!connect_within(s.get(), kReplyTimeoutMs, handshake_timed_out)) s.reset();
    }
    void close() { s.reset(); }
    bool connected() const { return static_cast<bool>(s); }

    // Sends the command with CR LF and reads its reply up to a line feed.
    LiveSplitReply exchange(const std::string& command, std::string& reply) {
        reply.clear();
        if (!connected()) return LiveSplitReply::none;
        const std::string line = command + "\r\n";
        if (send(s.get(), line.data(), static_cast<int>(line.size()), 0) !=
            static_cast<int>(line.size()))
            return LiveSplitReply::none;
        // The whole reply within the time-out, not each piece of it: a peer that sends a byte
        // now and then would otherwise hold the launcher for minutes per command.
        const ULONGLONG deadline = GetTickCount64() + kReplyTimeoutMs;
        std::string got;
        // Out of time. A reply cut short is none: a time could read as another ("754.56" as
        // "75").
        auto given_up = [&] {
            close();
            return LiveSplitReply::silent;
        };
        while (got.size() < kMaxReplyBytes && got.find('\n') == std::string::npos) {
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
            if (left == 0 || setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO,
                                        reinterpret_cast<const char*>(&left), sizeof left) != 0)
                return given_up();
            char buf[kMaxReplyBytes];
            const int n = recv(s.get(), buf, static_cast<int>(kMaxReplyBytes - got.size()), 0);
            if (n > 0) {
                got.append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && WSAGetLastError() == WSAETIMEDOUT) return given_up();
            break;
        }
        reply = livesplit_reply_line(got);
        return reply.empty() ? LiveSplitReply::none : LiveSplitReply::answered;
    }
};

} // namespace

std::string livesplit_query(const std::string& command, LiveSplitReply* how) {
    std::string reply;
    Connection c;
    const LiveSplitReply r = c.connected()           ? c.exchange(command, reply)
                             : c.handshake_timed_out ? LiveSplitReply::not_accepted
                                                     : LiveSplitReply::none;
    if (how) *how = r;
    return reply;
}

LiveSplitReading read_livesplit(ReadingMoment moment) {
    LiveSplitReading reading;
    std::optional<Connection> c(std::in_place);
    if (!c->connected()) return reading;
    int silences = 0;
    // False once the server has been silent twice: then it is hung, not merely ignoring one
    // command. A command after a silence goes over a fresh connection.
    auto ask = [&](const char* command, std::string& reply) {
        if (!c->connected()) c.emplace();
        if (c->exchange(command, reply) != LiveSplitReply::silent) return true;
        return ++silences < 2;
    };
    if (!ask("getcurrenttimerphase", reading.phase)) return reading;
    std::vector<const char*> commands;
    if (reading.phase == "Ended") commands.push_back("getfinaltime");
    commands.push_back("getlastsplittime");
    commands.push_back("getcurrenttime");
    for (const char* command : commands) {
        std::string reply;
        if (!ask(command, reply)) return reading;
        if (const auto t = parse_livesplit_time(reply)) {
            reading.time = t;
            break;
        }
    }
    // Which run ended: its number of segments, to be compared with the race splits.
    std::string index;
    if (moment == ReadingMoment::after_the_game && reading.phase == "Ended" &&
        ask("getsplitindex", index))
        reading.segments = parse_split_index(index);
    return reading;
}
