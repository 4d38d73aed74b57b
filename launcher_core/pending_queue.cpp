#include "launcher_core/pending_queue.h"

#include "launcher_core/complete_json.h"
#include "launcher_core/dated_names.h"
#include "launcher_core/format_text.h"
#include "launcher_core/http_client.h"
#include "launcher_core/log.h"
#include "launcher_core/profile_page.h"
#include "launcher_core/race_requests.h"
#include "launcher_core/server_reply.h"
#include "launcher_core/state_files.h"
#include "launcher_core/submit_request.h"

#include "common/text.h"
#include "common/win32/files.h"

namespace {

// A free path for `name` in `dir`: the name itself, else the name with a number.
std::string free_path(const std::string& dir, const std::string& name) {
    std::string path = dir + "\\" + name;
    for (int n = 2; kvr::path_exists(path) && n < 1000; ++n)
        path = dir + "\\" + numbered_variant(name, n);
    return path;
}

// Moves an entry that is not to be sent again to "pending\refused"; `why` opens the log line.
void set_aside(const LauncherConfig& cfg, const std::string& path, const std::string& why) {
    const std::string dir = data_file(cfg, "pending\\refused");
    kvr::create_directories(dir);
    const std::string target = free_path(dir, path.substr(path.find_last_of('\\') + 1));
    if (kvr::move_file(path, target))
        log_line("%s, moved to %s", why.c_str(), target.c_str());
    else
        log_line("%s, could not move %s", why.c_str(), path.c_str());
}

enum class Sent { accepted, refused, kept, unreachable };

// One queued body to the server, and what becomes of its file.
Sent send_entry(const LauncherConfig& cfg, const std::string& path, const std::string& payload,
                int& removed, HttpProblem& problem) {
    std::string body;
    int status = 0;
    if (!post_submit(cfg, payload, body, &status, &problem)) return Sent::unreachable;
    const SubmitReply reply = parse_submit_reply(body);
    note_oversized_token(reply);
    if (reply.accepted) {
        // The run this login came with may be the player's first: keep it as a fresh upload would.
        if (reply.token && !profile_token_saved(cfg)) keep_profile_token(cfg, *reply.token);
        if (kvr::delete_file(path))
            ++removed;
        else
            log_line("pending sent but could not be removed: %s", path.c_str());
        return Sent::accepted;
    }
    if (is_server_trouble(status, reply)) {
        if (is_trouble_status(status))
            log_line("pending kept (server answered %d): %s", status, path.c_str());
        else
            log_line("pending kept (server answer holds no verdict): %s", path.c_str());
        return Sent::kept;
    }
    set_aside_refused(cfg, path, reply.error);
    return Sent::refused;
}

} // namespace

QueueFlush flush_pending_queue(const LauncherConfig& cfg) {
    QueueFlush flush;
    if (kvr::strip_trailing_slashes(cfg.server).empty()) return flush;
    const std::string dir = data_file(cfg, "pending");
    const std::vector<std::string> names = kvr::list_files(dir + "\\*.json");
    flush.entries = static_cast<int>(names.size());
    int removed = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string path = dir + "\\" + names[i];
        std::string payload;
        if (!kvr::read_file(path, payload)) {
            log_line("pending kept (could not be read): %s", path.c_str());
            continue;
        }
        if (payload.empty() || payload.front() != '{' || !is_complete_json(payload)) {
            // Cut off or garbage: never sent, since the server could only refuse it.
            set_aside(cfg, path, "pending set aside (not a submit body)");
            continue;
        }
        HttpProblem problem = HttpProblem::none;
        const Sent sent = send_entry(cfg, path, payload, removed, problem);
        if (sent == Sent::accepted) ++flush.accepted;
        if (sent == Sent::unreachable) {
            log_line("pending kept (%s): %d file(s)", http_problem_text(problem),
                     static_cast<int>(names.size() - i));
            break;
        }
    }
    log_line("pending flushed: %d", removed);
    return flush;
}

std::string write_pending_entry(const LauncherConfig& cfg, const std::string& payload) {
    const std::string dir = data_file(cfg, "pending");
    kvr::create_directories(dir);
    const std::string path = free_path(dir, pending_file_name(local_time_now()));
    // Once the receipt is gone the entry is the run's only copy: written whole or not at all.
    if (kvr::write_file_atomic(path, payload)) return path;
    log_line("pending could not be saved: %s", dir.c_str());
    return {};
}

void set_aside_refused(const LauncherConfig& cfg, const std::string& path,
                       const std::string& error) {
    set_aside(cfg, path,
              "pending refused by server (" + (error.empty() ? "not accepted" : log_safe(error)) +
                  ")");
}

void report_skip(const LauncherConfig& cfg, const std::string& player, const std::string& reason) {
    std::string answer;
    if (http_post_json(endpoint_url(cfg.server, "/client/log"), skip_report_body(player, reason),
                       answer))
        log_line("skip report sent: %s", reason.c_str());
    else
        log_line("skip report not sent (server unreachable): %s", reason.c_str());
}
