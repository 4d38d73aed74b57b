#include "launcher_core/result/run_queue.h"

#include "launcher_core/base/complete_json.h"
#include "launcher_core/base/dated_names.h"
#include "launcher_core/base/format_text.h"
#include "launcher_core/base/json_fields.h"
#include "launcher_core/result/receipt_judge.h"
#include "launcher_core/result/run_ledger.h"
#include "launcher_core/server/server_reply.h"

#include "common/race_names.h"

#include <algorithm>

namespace {

using kvr::race::kResultFile;

std::string below(const std::string& folder, std::string_view name) {
    return folder + "\\" + std::string(name);
}

std::string name_of(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// What identifies a file that could not be read: the same file still has the same write time.
std::string write_time_mark(unsigned long long written) {
    return std::string("w").append(std::to_string(written));
}

// A file the in-game script leaves for the run, as this start finds it.
struct RunFile {
    RunFile(const char* file_name, const char* archive_prefix)
        : name(file_name), prefix(archive_prefix) {}

    const char* name;   // as the log lines call it
    const char* prefix; // of its copies in the receipts folder
    std::string path;
    bool archived = false;           // copied to the receipts folder by this start already
    std::optional<std::string> text; // nothing: missing, unreadable, or not to be judged
    bool present = false;            // it is there (to be judged, removed or left alone)
    unsigned long long written = 0;
    std::string hash; // of the text, when it was read

    // What the ledger records of it: the content's hash, else the write time.
    std::string mark() const {
        if (!hash.empty()) return hash;
        return written ? write_time_mark(written) : std::string();
    }
};

struct RunFiles {
    RunFile result{kResultFile, "kvrw_result"};
    RunFile receipt{"receipt", "receipt"};
    bool result_stale = false;    // kvrw_result.json was written before this run's game launch
    bool held_queued_run = false; // a file held a run that went to the queue at an earlier start
};

enum class Start { earlier_start, after_game, upload_only };

// One start's walk along the road: the places, the I/O and the ledger as this start read it.
struct Road {
    Road(const RunPlaces& places, const RunIo& run_io) : at(places), io(run_io) {}

    const RunPlaces& at;
    const RunIo& io;
    std::vector<LedgerLine> ledger;
    bool ledger_readable = true;

    std::string data_file(std::string_view name) const { return below(at.data, name); }
    std::string pending_file(std::string_view name) const {
        return below(data_file("pending"), name);
    }
    std::string ledger_path() const { return pending_file("ledger.txt"); }
    void log(const std::string& line) const { io.log(line); }
    // " (<the system's reason>)" for a line about the file call that just failed.
    std::string because() const { return " (" + log_safe(io.why()) + ")"; }

    void load_ledger() {
        const std::string path = ledger_path();
        const std::optional<std::string> text = io.read(path);
        if (!text && io.exists(path)) {
            ledger_readable = false;
            log("run ledger could not be read: " + log_safe(path) + because() +
                "; the queue waits");
            return;
        }
        ledger = parse_ledger(text.value_or(""));
        // The line is written before its entry: a start ended in between leaves a line for an
        // entry that never was, and the files it names were never judged.
        std::erase_if(ledger, [this](const LedgerLine& l) {
            return l.state == RunState::queued && !io.exists(pending_file(l.entry));
        });
    }
    bool save_ledger() const { return io.write(ledger_path(), format_ledger(ledger)); }

    // `name` in `folder`, or the name with a number when it is taken (for a queue entry, also
    // when the ledger still remembers a run of that name: the clock may give a name again).
    std::string free_path(const std::string& folder, const std::string& name) const {
        const auto taken = [&](const std::string& candidate) {
            for (const LedgerLine& l : ledger)
                if (l.entry == candidate) return true;
            return io.exists(below(folder, candidate));
        };
        std::string chosen = name;
        for (int n = 2; taken(chosen) && n < 1000; ++n)
            chosen = numbered_variant(name, n);
        return below(folder, chosen);
    }
};

// ---- the run's files ------------------------------------------------------------------------

// Before the game a file another program holds (a virus scanner, a sync tool) is waited for a
// while: once the game has written over a run left behind, that run is gone.
void wait_for_held_files(const Road& r) {
    constexpr int kSeconds = 15;
    const std::string files[] = {r.ledger_path(), r.data_file(kResultFile), r.at.receipt};
    for (int second = 0; second < kSeconds; ++second) {
        const std::string* held = nullptr;
        for (const std::string& f : files)
            if (!held && r.io.exists(f) && !r.io.read(f)) held = &f;
        if (!held) return;
        if (second == 0) r.log("waiting for " + log_safe(*held) + " (held by another program)");
        r.io.pause(1000);
    }
}

RunFile find_file(const Road& r, RunFile f) {
    f.text = r.io.read(f.path);
    f.present = f.text || r.io.exists(f.path);
    if (!f.present) return f;
    f.written = r.io.write_time(f.path);
    if (f.text) f.hash = r.io.digest(*f.text);
    return f;
}

const LedgerLine* judged_before(const Road& r, const RunFile& f) {
    if (!f.present) return nullptr;
    const LedgerLine* line = f.hash.empty() ? nullptr : run_judged_from(r.ledger, f.hash);
    if (!line && f.written) line = run_judged_from(r.ledger, write_time_mark(f.written));
    return line;
}

// A copy in the receipts folder; false when none could be written.
bool archive_copy(const Road& r, const RunFile& f) {
    const std::string copy =
        r.free_path(r.data_file("receipts"), archived_file_name(f.prefix, r.io.now()));
    return r.io.write(copy, *f.text);
}

// The file has given its run to the queue (now or at an earlier start): archived, then removed.
// A file that cannot be removed stays, but its mark is in the ledger: it is not judged again.
// One that could not be read has no copy to keep; its run is in the queue all the same.
void consume(const Road& r, const RunFile& f) {
    if (!f.archived && f.text && !archive_copy(r, f))
        r.log(format_text("failed to archive %s", f.name) + r.because());
    if (!r.io.remove(f.path))
        r.log("judged file could not be removed: " + log_safe(f.path) + r.because() +
              "; it is not judged again");
}

// A file that holds a run judged before is not judged again: one that went to the queue is
// archived and removed; one that did not count stays where the game left it, and only
// "--upload", at the player's request, looks at it again. True when the file held a queued run.
bool take_out_judged_before(const Road& r, RunFile& f, Start start) {
    const LedgerLine* line = judged_before(r, f);
    if (!line) return false;
    const bool queued = line->state != RunState::skipped;
    if (!queued) {
        if (start == Start::upload_only) return false;
        r.log(format_text("%s was judged before and did not count, left in place", f.name));
    } else {
        r.log(format_text("%s holds a run judged before (%s as %s): removed, not judged again",
                          f.name, run_state_name(line->state), line->entry.c_str()));
        consume(r, f);
    }
    f.text.reset();
    f.present = false;
    return queued;
}

RunFiles find_run_files(const Road& r, const RunContext& ctx, Start start) {
    RunFiles files;
    files.result.path = r.data_file(kResultFile);
    files.receipt.path = r.at.receipt;
    files.receipt.archived = ctx.receipt_archived;
    files.result = find_file(r, files.result);
    files.receipt = find_file(r, files.receipt);
    files.held_queued_run = take_out_judged_before(r, files.result, start);
    files.held_queued_run |= take_out_judged_before(r, files.receipt, start);
    // Left from an earlier run (refused, skipped), it would hide the run just played.
    if (start == Start::after_game && files.result.present && ctx.result_at_launch != 0)
        files.result_stale = files.result.written == ctx.result_at_launch;
    return files;
}

bool judged_from_result(const RunFiles& files) {
    return files.result.text && !files.result_stale;
}

RunInputs inputs_of(const RunContext& ctx, const RunFiles& files) {
    RunInputs in;
    in.server_configured = ctx.server_configured;
    if (judged_from_result(files)) {
        in.source = ReceiptSource::kvrw_result;
        in.text = files.result.text;
    } else {
        in.text = files.receipt.text;
    }
    in.kvrw_result_stale = files.result_stale;
    in.kvrw_result_unreadable = files.result.present && !files.result.text;
    in.livesplit = ctx.livesplit;
    in.livesplit_before = ctx.livesplit_before;
    in.race_segments = ctx.race_segments;
    in.player = ctx.player;
    in.player_id = ctx.player_id;
    in.difficulty = ctx.difficulty;
    return in;
}

// The files a run judged from them gives up: the one judged and the other one beside it, which
// the in-game script wrote for the same run (a kvrw_result.json that could not be read is this
// run's too, unless it is older than the game launch). Both are recognised if they come back.
std::vector<const RunFile*> judged_files(const RunFiles& files) {
    const bool from_result = judged_from_result(files);
    std::vector<const RunFile*> given{from_result ? &files.result : &files.receipt};
    const RunFile& other = from_result ? files.receipt : files.result;
    if (other.present && !(&other == &files.result && files.result_stale)) given.push_back(&other);
    return given;
}

UploadResult result_of(RunVerdict verdict) {
    switch (verdict) {
    case RunVerdict::no_server:
        return UploadResult::no_server;
    case RunVerdict::no_receipt:
        return UploadResult::no_receipt;
    case RunVerdict::invalid_receipt:
        return UploadResult::invalid_receipt;
    case RunVerdict::not_finished:
        return UploadResult::not_finished;
    case RunVerdict::submit:
        break;
    }
    return UploadResult::not_run;
}

// ---- into the queue -------------------------------------------------------------------------

std::string where_it_stays(const std::vector<const RunFile*>& given) {
    std::string where;
    for (const RunFile* f : given)
        where += (where.empty() ? "" : " and ") + log_safe(f->path);
    return where;
}

// The ledger line first, then the entry, then the judged files go: at every step the run is in
// one place that the next start recognises. The entry's name, or empty when the run could not
// be queued (it then stays in its files and the log says so).
std::string queue_run(Road& r, const std::string& payload, const std::vector<const RunFile*>& given,
                      std::string& stays_in) {
    stays_in = where_it_stays(given);
    if (!r.ledger_readable) {
        r.log("run not queued, so not sent: it stays in " + stays_in);
        return {};
    }
    const std::string path = r.free_path(r.data_file("pending"), pending_file_name(r.io.now()));
    LedgerLine line{RunState::queued, name_of(path), {}};
    for (const RunFile* f : given)
        if (const std::string mark = f->mark(); !mark.empty()) line.marks.push_back(mark);
    r.ledger.push_back(line);
    if (!r.save_ledger() || !r.io.write(path, payload)) {
        r.ledger.pop_back();
        r.log("pending could not be saved: " + log_safe(r.data_file("pending")) + r.because());
        r.log("run not queued, so not sent: it stays in " + stays_in);
        return {};
    }
    stays_in.clear();
    for (const RunFile* f : given)
        consume(r, *f);
    return line.entry;
}

// A run that did not count, so no later race run judges it (or the file beside it) again.
void remember_skipped(Road& r, const std::vector<const RunFile*>& given) {
    if (!r.ledger_readable) return;
    LedgerLine line{RunState::skipped, "-", {}};
    for (const RunFile* f : given)
        if (const std::string mark = f->mark(); !mark.empty() && !run_judged_from(r.ledger, mark))
            line.marks.push_back(mark);
    if (line.marks.empty()) return;
    r.ledger.push_back(line);
    if (!r.save_ledger()) r.ledger.pop_back();
}

struct Taken {
    UploadOutcome outcome;
    std::string entry; // this run's queue entry, when it was queued
};

// Judges what the run files hold and hands a run that counts to the queue. A run that does not
// count is reported to the server and remembered, so no later race run judges it again.
Taken take_run(Road& r, const RunContext& ctx, Start start, bool queue_held_runs) {
    Taken t;
    const RunFiles files = find_run_files(r, ctx, start);
    if (!files.result.text && !files.receipt.text) {
        // A file another program holds is no missing run: it stays to be judged later.
        std::vector<const RunFile*> held;
        for (const RunFile* f : {&files.result, &files.receipt})
            if (f->present && !(f == &files.result && files.result_stale)) held.push_back(f);
        if (!held.empty()) {
            t.outcome.result = UploadResult::not_queued;
            t.outcome.stays_in = where_it_stays(held);
            r.log("run files could not be read (held by another program?), not judged: " +
                  t.outcome.stays_in);
            return t;
        }
        // Nothing left behind; "--upload" finding only runs queued before misses nothing.
        if (start == Start::earlier_start) return t;
        if (start == Start::upload_only && files.held_queued_run) return t;
    }
    if (start == Start::earlier_start)
        r.log("run files left by an earlier start: judged now, before the game can write over "
              "them");
    const RunJudgement j = judge_run(inputs_of(ctx, files));
    for (const std::string& line : j.log)
        r.log(line);
    t.outcome.result = result_of(j.verdict);
    if (j.verdict != RunVerdict::submit) {
        // The queue just held runs: "no receipt" would tell the server a run went missing.
        const bool queued_instead = j.verdict == RunVerdict::no_receipt && queue_held_runs;
        if (!j.skip_reason.empty() && !queued_instead) r.io.report_skip(j.player, j.skip_reason);
        const bool judged =
            j.verdict == RunVerdict::invalid_receipt || j.verdict == RunVerdict::not_finished;
        if (judged) remember_skipped(r, judged_files(files));
        return t;
    }
    t.outcome.difficulty = j.difficulty;
    t.outcome.ending = j.ending;
    t.outcome.total = j.total;
    t.entry = queue_run(r, j.payload, judged_files(files), t.outcome.stays_in);
    if (t.entry.empty()) t.outcome.result = UploadResult::not_queued;
    return t;
}

// ---- to the server --------------------------------------------------------------------------

enum class Fate { accepted, refused, waits, unreachable, not_sent };

struct Sent {
    Fate fate = Fate::not_sent;
    bool removed = false; // an accepted entry left the queue
    SubmitAnswer answer;
    SubmitReply reply;
};

// The ledger learns how the run ended before its entry is touched, so a start ended in between
// finds the verdict. False when the ledger cannot be written: the entry then stays as it is.
bool record_end(Road& r, const std::string& entry, RunState state) {
    const auto it = std::find_if(r.ledger.begin(), r.ledger.end(),
                                 [&](const LedgerLine& l) { return l.entry == entry; });
    if (it == r.ledger.end()) return true; // queued before the ledger was kept
    const std::vector<LedgerLine> before = r.ledger;
    LedgerLine line = *it;
    line.state = state;
    // Ended runs stay in the order of their ends, so the oldest ends are forgotten first.
    r.ledger.erase(it);
    r.ledger.push_back(line);
    if (r.save_ledger()) return true;
    r.ledger = before;
    return false;
}

// Moves an entry that is not to be sent again to pending\refused; `why` opens the log line.
void set_aside(const Road& r, const std::string& path, const std::string& why) {
    const std::string target = r.free_path(r.pending_file("refused"), name_of(path));
    if (r.io.move(path, target))
        r.log(why + ", moved to " + log_safe(target));
    else
        r.log(why + ", could not move " + log_safe(path) + r.because());
}

void remove_sent(const Road& r, const std::string& path, Sent& s) {
    s.removed = r.io.remove(path);
    if (!s.removed) r.log("pending sent but could not be removed: " + log_safe(path) + r.because());
}

// Why an answer left the run waiting, in the words of the log lines.
std::string why_no_verdict(const SubmitAnswer& a) {
    if (a.status < 200 || a.status > 299) return format_text("server answered %d", a.status);
    return "server answer holds no verdict";
}

void log_waiting(const Road& r, const std::string& path, const std::string& why, bool this_run) {
    if (this_run)
        r.log("upload failed (" + why + "), saved to pending queue");
    else
        r.log("pending kept (" + why + "): " + log_safe(path));
}

// A queued entry the ledger says is over: finished as that verdict asks, not sent again.
bool finish_ended(Road& r, const std::string& name, const std::string& path, Sent& s) {
    const LedgerLine* line = line_of_entry(r.ledger, name);
    if (!line || line->state == RunState::queued) return false;
    if (line->state == RunState::sent) {
        r.log("pending was accepted before, removed: " + log_safe(path));
        s.fate = Fate::accepted;
        remove_sent(r, path, s);
    } else {
        set_aside(r, path, "pending was refused before");
    }
    return true;
}

// One queued run to the server, and what its answer does to the entry.
Sent send_entry(Road& r, const std::string& name, bool this_run) {
    Sent s;
    const std::string path = r.pending_file(name);
    const std::optional<std::string> body = r.io.read(path);
    if (!body) {
        r.log("pending kept (could not be read): " + log_safe(path));
        return s;
    }
    if (finish_ended(r, name, path, s)) return s;
    if (body->empty() || body->front() != '{' || !is_complete_json(*body)) {
        // Cut off or garbage: never sent, since the server could only refuse it.
        if (record_end(r, name, RunState::refused))
            set_aside(r, path, "pending set aside (not a submit body)");
        return s;
    }
    s.answer = r.io.submit(*body);
    if (!s.answer.answered) {
        s.fate = Fate::unreachable;
        if (this_run) log_waiting(r, path, s.answer.failure, true);
        return s;
    }
    s.reply = parse_submit_reply(s.answer.body);
    const SubmitVerdict verdict = submit_verdict(s.answer.status, s.reply);
    // A login comes with the server's verdict on a run (a queued run's accepted one may be the
    // player's first); a page without a verdict (a portal, a proxy, a redirect) gives none.
    if (s.reply.token &&
        (verdict == SubmitVerdict::accepted || (this_run && verdict == SubmitVerdict::refused)))
        r.io.take_token(*s.reply.token, this_run);
    if (s.reply.oversized_token_bytes)
        r.log(format_text("profile token ignored: %lu bytes, longer than %lu (the saved one stays)",
                          static_cast<unsigned long>(s.reply.oversized_token_bytes),
                          static_cast<unsigned long>(kMaxTokenBytes)));
    // The login in it is the player's: whoever reads the log must not be able to use it.
    if (this_run) r.log("upload response: " + answer_for_log(s.answer.body));
    switch (verdict) {
    case SubmitVerdict::accepted:
        s.fate = Fate::accepted;
        if (record_end(r, name, RunState::sent))
            remove_sent(r, path, s);
        else
            r.log("pending sent, kept until the run ledger can be written: " + log_safe(path));
        break;
    case SubmitVerdict::refused:
        s.fate = Fate::refused;
        if (record_end(r, name, RunState::refused))
            set_aside(r, path,
                      "pending refused by server (" +
                          (s.reply.error.empty() ? "not accepted" : log_safe(s.reply.error)) + ")");
        break;
    case SubmitVerdict::none:
        s.fate = Fate::waits;
        log_waiting(r, path, why_no_verdict(s.answer), this_run);
        break;
    }
    return s;
}

void take_answer(UploadOutcome& o, const Sent& s, const std::string& entry_path) {
    o.response = s.answer.body;
    o.error = s.reply.error;
    o.rank = s.reply.rank.value_or(0);
    o.points = s.reply.points.value_or(0);
    switch (s.fate) {
    case Fate::accepted:
        o.result = UploadResult::accepted;
        return;
    case Fate::refused:
        o.result = UploadResult::refused;
        return;
    case Fate::unreachable:
        o.result = UploadResult::unreachable;
        break;
    case Fate::waits:
    case Fate::not_sent:
        o.result = UploadResult::server_trouble;
        break;
    }
    o.entry = entry_path;
}

// Every queued run, oldest first. `mine` gets the fate of the entry named `this_entry`.
QueueFlush flush_queue(Road& r, const std::string& this_entry, UploadOutcome* mine) {
    QueueFlush flush;
    const std::vector<std::string> names = r.io.list(r.data_file("pending"));
    flush.entries = static_cast<int>(names.size());
    int removed = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool this_run = names[i] == this_entry;
        const Sent s = send_entry(r, names[i], this_run);
        if (this_run && mine) take_answer(*mine, s, r.pending_file(names[i]));
        if (s.fate == Fate::accepted) {
            ++flush.accepted;
            removed += s.removed;
        }
        if (s.fate != Fate::unreachable) continue;
        // Each further request would cost the same wait.
        r.log(format_text("pending kept (%s): %d file(s)", s.answer.failure.c_str(),
                          static_cast<int>(names.size() - i)));
        const auto mine_at = std::find(names.begin() + i + 1, names.end(), this_entry);
        if (mine && mine_at != names.end()) {
            log_waiting(r, r.pending_file(this_entry), s.answer.failure, true);
            take_answer(*mine, s, r.pending_file(this_entry));
        }
        break;
    }
    r.log(format_text("pending flushed: %d", removed));
    return flush;
}

// A value of the receipt, fit for the log line whatever the game wrote.
std::string summary_field(const std::string& text, const char* pattern, bool quoted) {
    const auto value = quoted ? quoted_value(text, pattern) : bare_value(text, pattern);
    return log_safe(value.value_or(""));
}

} // namespace

bool archive_receipt(const RunPlaces& at, const RunIo& io) {
    const Road r{at, io};
    const std::optional<std::string> receipt = io.read(at.receipt);
    if (!receipt) {
        r.log((io.exists(at.receipt) ? "receipt could not be read (held by another program?): "
                                     : "no receipt file found at ") +
              log_safe(at.receipt));
        return false;
    }
    const std::string copy =
        r.free_path(r.data_file("receipts"), archived_file_name("receipt", io.now()));
    const bool archived = io.write(copy, *receipt);
    r.log(archived ? "receipt archived: " + log_safe(copy)
                   : "failed to archive receipt" + r.because());
    const std::string& text = *receipt;
    r.log("receipt summary: ending=" + summary_field(text, "\"ending\":", true) +
          " total=" + summary_field(text, "\"total\":", false) +
          " status=" + summary_field(text, "\"status\":", true));
    return archived;
}

QueueFlush send_queue_before_game(const RunPlaces& at, const RunIo& io, const RunContext& ctx) {
    if (!ctx.server_configured) return {};
    Road r{at, io};
    wait_for_held_files(r);
    r.load_ledger();
    if (!r.ledger_readable) {
        QueueFlush waits;
        if (io.exists(r.data_file(kResultFile)) || io.exists(at.receipt))
            waits.at_risk = "the run ledger could not be read: " + log_safe(r.ledger_path());
        return waits;
    }
    RunContext earlier = ctx;
    earlier.livesplit_before = {};
    earlier.result_at_launch = 0;
    const Taken t = take_run(r, earlier, Start::earlier_start, false);
    QueueFlush flush = flush_queue(r, {}, nullptr);
    flush.at_risk = t.outcome.stays_in;
    return flush;
}

UploadOutcome upload_after_game(const RunPlaces& at, const RunIo& io, const RunContext& ctx) {
    Road r{at, io};
    r.load_ledger();
    Taken t = take_run(r, ctx, Start::after_game, false);
    if (!t.entry.empty())
        take_answer(t.outcome, send_entry(r, t.entry, true), r.pending_file(t.entry));
    return t.outcome;
}

UploadOutcome upload_only(const RunPlaces& at, const RunIo& io, const RunContext& ctx,
                          QueueFlush& flush) {
    Road r{at, io};
    r.load_ledger();
    const bool queue_held_runs = !io.list(r.data_file("pending")).empty();
    Taken t = take_run(r, ctx, Start::upload_only, queue_held_runs);
    flush = {};
    if (ctx.server_configured && r.ledger_readable) flush = flush_queue(r, t.entry, &t.outcome);
    return t.outcome;
}
