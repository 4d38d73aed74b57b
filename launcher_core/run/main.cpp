// kvr_launcher_core: the race run, or one utility task chosen by the first argument.
#include "launcher_core/base/app_state.h"
#include "launcher_core/base/console.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/single_instance.h"
#include "launcher_core/run/modes.h"

#include <string>

namespace {

// The race run and "--upload" work on the run's files: a second core does nothing (and waits for
// no key, since nobody may be looking at its console).
int run_alone(int (*mode)()) {
    if (claim_single_instance()) return mode();
    log_line("another launcher core is already running; this start does nothing");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    use_utf8_console();
    start_up();

    const std::wstring mode = argc > 1 ? argv[1] : L"";
    int code;
    if (mode == L"--detect")
        code = run_detect_mode();
    else if (mode == L"--profile")
        code = run_profile_mode();
    else if (mode == L"--upload")
        code = run_alone(run_upload_mode);
    else
        code = run_alone(run_race);
    log_close();
    return code;
}
