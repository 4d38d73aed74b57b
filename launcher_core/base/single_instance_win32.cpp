#include "launcher_core/base/single_instance.h"

#include "launcher_core/base/log.h"

#include "common/win32/core_mark.h"
#include "common/win32/win_error.h"

bool claim_single_instance() {
    bool failed = false;
    unsigned long error = 0;
    if (!kvr::take_core_mark(failed, error)) return false;
    // A mark that cannot be made must not keep the player from racing: run unguarded, and say so.
    if (failed)
        log_line("single-instance check failed (%s), running anyway",
                 kvr::error_text(error).c_str());
    return true;
}
