#include "launcher_core/receipt_archive.h"

#include "launcher_core/dated_names.h"
#include "launcher_core/format_text.h"
#include "launcher_core/json_fields.h"
#include "launcher_core/log.h"
#include "launcher_core/state_files.h"

#include "common/win32/files.h"

namespace {

// A value of the receipt, fit for the log line whatever the game wrote.
std::string field(const std::string& text, const char* pattern, bool quoted) {
    const auto value = quoted ? quoted_value(text, pattern) : bare_value(text, pattern);
    return log_safe(value.value_or(""));
}

} // namespace

void archive_receipt(const LauncherConfig& cfg) {
    std::string text;
    if (!kvr::read_file(cfg.receipt, text)) {
        log_line("no receipt file found at %s", cfg.receipt.c_str());
        return;
    }
    const std::string copy = data_file(cfg, "receipts\\" + archived_receipt_name(local_time_now()));
    if (kvr::write_file_atomic(copy, text))
        log_line("receipt archived: %s", copy.c_str());
    else
        log_line("failed to archive receipt");
    log_line("receipt summary: ending=%s total=%s status=%s",
             field(text, "\"ending\":", true).c_str(), field(text, "\"total\":", false).c_str(),
             field(text, "\"status\":", true).c_str());
}
