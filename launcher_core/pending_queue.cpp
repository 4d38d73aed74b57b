#include "launcher_core/pending_queue.h"

#include "launcher_core/complete_json.h"
#include "launcher_core/dated_names.h"
#include "launcher_core/format_text.h"
#include "launcher_core/http_client.h"
#include "launcher_core/log.h"
#include "launcher_core/race_requests.h"
#include "launcher_core/server_reply.h"
#include "launcher_core/state_files.h"

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
void set_aside(const LauncherConfig& cfg, const std::string& path, const std::string& name,
               const std::string& why) {
    const std::string dir = data_file(cfg, "pending\\refused");
    kvr::create_directories(dir);
    const std::string target = free_path(dir, name);
    if (kvr::move_file(path, target))
        log_line("%s, moved to %s", why.c_str(), target.c_str());
    else
        log_line("%s, could not move %s", why.c_str(), path.c_str());
}

} // namespace

void flush_pending_queue(const LauncherConfig& cfg) {
    if (kvr::strip_trailing_slashes(cfg.server).empty()) return;
    const std::string dir = data_file(cfg, "pending");
    const std::vector<std::string> names = kvr::list_files(dir + "\\*.json");
    int flushed = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string path = dir + "\\" + names[i];
        std::string payload;
        if (!kvr::read_file(path, payload)) {
            log_line("pending kept (could not be read): %s", path.c_str());
            continue;
        }
        if (payload.empty() || payload.front() != '{' || !is_complete_json(payload)) {
            // Cut off or garbage: never sent, since the server could only refuse it.
            set_aside(cfg, path, names[i], "pending set aside (not a submit body)");
            continue;
        }
        std::string body;
        int status = 0;
        HttpProblem problem = HttpProblem::none;
        if (!http_post_json(endpoint_url(cfg.server, "/submit"), payload, body, &status,
                            &problem)) {
            log_line("pending kept (%s): %d file(s)", http_problem_text(problem),
                     static_cast<int>(names.size() - i));
            break;
        }
        const SubmitReply reply = parse_submit_reply(body);
        if (reply.accepted) {
            if (kvr::delete_file(path))
                ++flushed;
            else
                log_line("pending sent but could not be removed: %s", path.c_str());
        } else if (is_server_trouble(status, reply)) {
            if (is_trouble_status(status))
                log_line("pending kept (server answered %d): %s", status, path.c_str());
            else
                log_line("pending kept (server answer holds no verdict): %s", path.c_str());
        } else {
            set_aside(cfg, path, names[i],
                      "pending refused by server (" +
                          (reply.error.empty() ? "not accepted" : log_safe(reply.error)) + ")");
        }
    }
    log_line("pending flushed: %d", flushed);
}

std::string write_pending_entry(const LauncherConfig& cfg, const std::string& payload) {
    const std::string dir = data_file(cfg, "pending");
    kvr::create_directories(dir);
    const std::string path = free_path(dir, pending_file_name(local_time_now()));
    // The queue entry is the run's only copy once the receipt is gone: written whole or not.
    return kvr::write_file_atomic(path, payload) ? path : std::string();
}

std::string save_pending(const LauncherConfig& cfg, const std::string& payload) {
    const std::string path = write_pending_entry(cfg, payload);
    if (path.empty())
        log_line("pending could not be saved: %s", data_file(cfg, "pending").c_str());
    else
        log_line("pending saved: %s", path.c_str());
    return path;
}

void report_skip(const LauncherConfig& cfg, const std::string& player, const std::string& reason) {
    std::string answer;
    if (http_post_json(endpoint_url(cfg.server, "/client/log"), skip_report_body(player, reason),
                       answer))
        log_line("skip report sent: %s", reason.c_str());
    else
        log_line("skip report not sent (server unreachable): %s", reason.c_str());
}
