// A finished run's way to the race server, with the launcher ended at every I/O step of it and
// started again in each mode, LiveSplit's time and the player's name changed meanwhile (so a body
// built again would differ). Whatever the step: the run reaches the server, at most twice, every
// copy the same bytes with one key, and nothing is left that a later start would send again.
#include "launcher_core/result/run_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>

namespace {

struct Crash {}; // the launcher is ended here: the step does not happen

constexpr char kData[] = "D:\\data";
constexpr char kReceipt[] = "D:\\data\\receipt.json";
constexpr char kResult[] = "D:\\data\\kvrw_result.json";

std::string fake_digest(std::string_view bytes) {
    std::string hex;
    for (std::uint64_t salt = 0; salt < 4; ++salt) {
        std::uint64_t h = 1469598103934665603ull ^ salt;
        for (const char c : bytes)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char part[17];
        std::snprintf(part, sizeof part, "%016llx", static_cast<unsigned long long>(h));
        hex += part;
    }
    return hex;
}

std::string run_text(const std::string& id, const char* last_map) {
    return "{\"run_id\":\"" + id +
           "\",\"status\":\"running\",\"ending\":\"\",\"total\":812.40,"
           "\"splits\":[{\"i\":1,\"map\":\"Level 1\",\"t\":10.0},{\"i\":2,\"map\":\"" +
           last_map + "\",\"t\":750.0}]}";
}

// The PC and the race server as one start of the launcher core meets them.
struct World {
    std::map<std::string, std::string> files;
    std::map<std::string, unsigned long long> written;
    std::set<std::string> locked; // held open without sharing by another program
    unsigned long long clock = 1;
    int steps = 0;
    int crash_at = -1;
    SubmitAnswer answer{true, 200, "{\"accepted\": true,\"rank\":2,\"points\":10}", ""};
    std::vector<std::string> bodies, keys; // every /submit the server received
    std::vector<std::string> log;
    std::vector<std::string> tokens; // logins taken from answers

    void step() {
        if (steps++ == crash_at) throw Crash{};
    }
    void put(const std::string& path, const std::string& text) {
        files[path] = text;
        written[path] = ++clock;
    }
    int copies_of(const std::string& id) const {
        int n = 0;
        for (const std::string& b : bodies)
            n += b.find("\"run_id\":\"" + id + "\"") != std::string::npos;
        return n;
    }
};

RunIo io_of(World& w) {
    RunIo io;
    io.read = [&w](const std::string& p) -> std::optional<std::string> {
        w.step();
        const auto it = w.files.find(p);
        if (it == w.files.end() || w.locked.count(p)) return std::nullopt;
        return it->second;
    };
    io.exists = [&w](const std::string& p) {
        w.step();
        return w.files.count(p) > 0;
    };
    io.write_time = [&w](const std::string& p) {
        w.step();
        return w.written.count(p) ? w.written.at(p) : 0ull;
    };
    io.write = [&w](const std::string& p, std::string_view bytes) {
        w.step();
        w.put(p, std::string(bytes));
        return true;
    };
    io.remove = [&w](const std::string& p) {
        w.step();
        if (w.locked.count(p)) return false;
        w.files.erase(p);
        return true;
    };
    io.move = [&w](const std::string& from, const std::string& to) {
        w.step();
        w.put(to, w.files.at(from));
        w.files.erase(from);
        return true;
    };
    io.list = [&w](const std::string& folder) {
        w.step();
        std::vector<std::string> names;
        for (const auto& [path, text] : w.files) {
            if (path.rfind(folder + "\\", 0) != 0) continue;
            const std::string name = path.substr(folder.size() + 1);
            if (name.find('\\') == std::string::npos && name.size() > 5 &&
                name.substr(name.size() - 5) == ".json")
                names.push_back(name);
        }
        return names;
    };
    io.submit = [&w](const std::string& body) {
        w.step(); // ended before the request left
        w.bodies.push_back(body);
        w.keys.push_back(fake_digest(body));
        w.step(); // ended after the server got it, before the answer was read
        return w.answer;
    };
    io.report_skip = [](const std::string&, const std::string&) {};
    io.take_token = [&w](const std::string& token, bool) { w.tokens.push_back(token); };
    io.pause = [](unsigned) {};
    io.digest = fake_digest;
    io.now = [] {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mday = 9;
        return t;
    };
    io.log = [&w](const std::string& line) { w.log.push_back(line); };
    io.why = [] { return std::string("Access is denied."); };
    return io;
}

RunContext context(const char* player, double livesplit_time) {
    RunContext ctx;
    ctx.server_configured = true;
    ctx.livesplit = LiveSplitReading{"Ended", livesplit_time};
    ctx.player = player;
    ctx.player_id = "76561198000000001";
    ctx.difficulty = "normal";
    return ctx;
}

const RunPlaces kPlaces{kData, kReceipt};

void race_after_game(World& w, const RunContext& ctx) {
    const RunIo io = io_of(w);
    RunContext after = ctx;
    after.receipt_archived = archive_receipt(kPlaces, io);
    upload_after_game(kPlaces, io, after);
}

void race_run(World& w, const RunContext& ctx, const std::string& new_run = {}) {
    send_queue_before_game(kPlaces, io_of(w), ctx);
    if (!new_run.empty()) w.put(kReceipt, run_text(new_run, "ENDING:true"));
    race_after_game(w, ctx);
}

void upload_mode(World& w, const RunContext& ctx) {
    QueueFlush flush;
    upload_only(kPlaces, io_of(w), ctx, flush);
}

enum class Restart { race_no_receipt, race_new_run, upload };

struct FirstLife {
    bool with_result = false;   // the game wrote kvrw_result.json beside the receipt
    bool receipt_held = false;  // another program holds the receipt during the first start
    bool gateway_error = false; // the server answers 504 at first
    bool by_upload = false;     // the first start is "--upload", not a race run
};

void play_first_life(World& w, const FirstLife& life) {
    w.put(kReceipt, run_text("R1", "ENDING:main"));
    if (life.with_result) w.put(kResult, run_text("R1", "Tunnel"));
    if (life.receipt_held) w.locked.insert(kReceipt);
    if (life.gateway_error) w.answer = {true, 504, "<html>Gateway Time-out</html>", ""};
    const RunContext ctx = context("Mira", 754.56);
    if (life.by_upload)
        upload_mode(w, ctx);
    else
        race_after_game(w, ctx);
}

// Plays the first start, ended at step `crash_at` (-1: not ended), then starts again; false when
// the first start had fewer steps (nothing to end there).
bool play(const FirstLife& life, int crash_at, Restart restart, World& w) {
    w.crash_at = crash_at;
    try {
        play_first_life(w, life);
    } catch (const Crash&) {
    }
    if (crash_at >= w.steps) return false;
    w.crash_at = -1;
    w.locked.clear();
    w.answer = World{}.answer;
    const RunContext later = context("Fox", 700.25);
    switch (restart) {
    case Restart::race_no_receipt:
        race_run(w, later);
        break;
    case Restart::race_new_run:
        race_run(w, later, "R2");
        break;
    case Restart::upload:
        upload_mode(w, later);
        break;
    }
    return true;
}

void check_counted_once(const World& w, const std::string& id, const std::string& at) {
    std::vector<std::string> copies, keys;
    for (size_t i = 0; i < w.bodies.size(); ++i)
        if (w.bodies[i].find("\"run_id\":\"" + id + "\"") != std::string::npos) {
            copies.push_back(w.bodies[i]);
            keys.push_back(w.keys[i]);
        }
    ASSERT_GE(copies.size(), 1u) << id << " never reached the server: " << at;
    EXPECT_LE(copies.size(), 2u) << id << ": " << at;
    for (size_t i = 1; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i], copies[0]) << id << ": " << at;
        EXPECT_EQ(keys[i], keys[0]) << id << ": " << at;
    }
}

} // namespace

TEST(RunRoad, EveryCrashPointAndRestartCountsTheRunOnce) {
    const struct {
        const char* name;
        FirstLife life;
    } lives[] = {
        {"race run, receipt", {}},
        {"race run, kvrw_result.json and receipt", {true}},
        {"race run, kvrw_result.json, receipt held open", {true, true}},
        {"race run, receipt, 504 at first", {false, false, true}},
        {"race run, kvrw_result.json and receipt, 504 at first", {true, false, true}},
        {"--upload, receipt", {false, false, false, true}},
        {"--upload, receipt, 504 at first", {false, false, true, true}},
    };
    int crash_points = 0;
    for (const auto& [name, life] : lives) {
        const int before = crash_points;
        for (int crash_at = -1;; ++crash_at) {
            bool played = false;
            for (const Restart restart :
                 {Restart::race_no_receipt, Restart::race_new_run, Restart::upload}) {
                World w;
                if (!play(life, crash_at, restart, w)) break;
                played = true;
                const std::string at = std::string(name) + ", ended at step " +
                                       std::to_string(crash_at) + ", restart " +
                                       std::to_string(static_cast<int>(restart));
                check_counted_once(w, "R1", at);
                if (restart == Restart::race_new_run) check_counted_once(w, "R2", at);
                // Nothing is left that a later start would send again, whatever it is.
                const size_t sent = w.bodies.size();
                race_run(w, context("Ada", 650.0));
                upload_mode(w, context("Ada", 650.0));
                EXPECT_EQ(w.bodies.size(), sent) << at;
                if (testing::Test::HasFailure()) return;
            }
            if (!played) break;
            ++crash_points;
        }
        std::printf("%-52s %3d crash points\n", name, crash_points - before - 1);
    }
    std::printf("crash points covered: %d, each restarted as a race run with no new receipt, "
                "a race run with a new run and --upload\n",
                crash_points - static_cast<int>(std::size(lives)));
    EXPECT_GT(crash_points, 100);
}

TEST(RunRoad, KvrwResultUnchangedSinceTheLaunchIsNotThisRuns) {
    // Compared for change, not for order: a clock set back while the game runs must not make
    // this run's file look like a leftover, nor a leftover look new.
    for (const bool rewritten : {false, true}) {
        World w;
        w.put(kResult, run_text("old", "Tunnel"));
        RunContext ctx = context("Mira", 754.56);
        ctx.result_at_launch = w.written.at(kResult);
        w.put(kReceipt, run_text("R1", "ENDING:main"));
        if (rewritten) w.put(kResult, run_text("R1", "Tunnel"));
        upload_after_game(kPlaces, io_of(w), ctx);
        ASSERT_EQ(w.bodies.size(), 1u);
        EXPECT_EQ(w.copies_of("R1"), 1);
        EXPECT_EQ(w.files.count(kResult), rewritten ? 0u : 1u) << rewritten;
    }
}

TEST(RunRoad, ALoginComesOnlyWithTheServersVerdict) {
    // A portal's page, a proxy's 503 or a redirect carries no verdict, and no login of the player.
    for (const SubmitAnswer& page :
         {SubmitAnswer{true, 200, "<html>{\"token\":\"portal-1\"}</html>", ""},
          SubmitAnswer{true, 503, "{\"token\":\"proxy-1\"}", ""},
          SubmitAnswer{true, 302, "{\"accepted\":true,\"token\":\"elsewhere-1\"}", ""}}) {
        World w;
        w.answer = page;
        w.put(kReceipt, run_text("R1", "ENDING:main"));
        upload_after_game(kPlaces, io_of(w), context("Mira", 754.56));
        EXPECT_EQ(w.tokens, std::vector<std::string>{}) << page.body;
        w.answer = {true, 200, "{\"accepted\": true,\"token\":\"tok-1\"}", ""};
        race_run(w, context("Mira", 754.56));
        EXPECT_EQ(w.tokens, std::vector<std::string>{"tok-1"}) << page.body;
    }
}
