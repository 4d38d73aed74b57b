#include "launcher_core/pending_queue.h"

#include "launcher_core/dated_names.h"
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

void set_aside(const LauncherConfig& cfg, const std::string& path, const std::string& name,
               const std::string& why) {
    const std::string dir = data_file(cfg, "pending\\refused");
    kvr::create_directories(dir);
    const std::string target = free_path(dir, name);
    if (kvr::move_file(path, target))
        log_line("pending refused by server (%s), moved to %s", why.c_str(), target.c_str());
    else
        log_line("pending refused by server (%s), could not move %s", why.c_str(), path.c_str());
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
        if (!kvr::read_file(path, payload)) continue;
        if (payload.empty() || payload.front() != '{') {
            set_aside(cfg, path, names[i], "not a submit body");
            continue;
        }
        std::string body;
        int status = 0;
        if (!http_post_json(endpoint_url(cfg.server, "/submit"), payload, body, &status)) {
            log_line("pending kept (server unreachable): %d file(s)",
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
            log_line("pending kept (server answered %d): %s", status, path.c_str());
        } else {
            set_aside(cfg, path, names[i], reply.error.empty() ? "not accepted" : reply.error);
        }
    }
    log_line("pending flushed: %d", flushed);
}

std::string save_pending(const LauncherConfig& cfg, const std::string& payload) {
    const std::string dir = data_file(cfg, "pending");
    kvr::create_directories(dir);
    const std::string path = free_path(dir, pending_file_name(local_time_now()));
    // The queue entry is the run's only copy once the receipt is gone: written whole or not.
    if (!kvr::write_file_atomic(path, payload)) {
        log_line("pending could not be saved: %s", path.c_str());
        return {};
    }
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
