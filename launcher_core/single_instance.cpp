#include "launcher_core/single_instance.h"

#include "launcher_core/log.h"

#include "common/win32/win_error.h"

#include <windows.h>

bool claim_single_instance() {
    // "Local\": the session's own namespace, so each signed-in user has one core of their own.
    HANDLE mark = CreateMutexW(nullptr, FALSE, L"Local\\KVR-Race-LauncherCore");
    const DWORD error = GetLastError();
    if (mark && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mark);
        return false;
    }
    // A core started elevated holds a mutex this one may not open: it is running all the same.
    if (!mark && error == ERROR_ACCESS_DENIED) return false;
    // Any other failure must not keep the player from racing: run unguarded, and say so.
    if (!mark)
        log_line("single-instance check failed (%s), running anyway",
                 kvr::error_text(error).c_str());
    // The handle stays open until the process ends: that is the mark.
    return true;
}
