#include "common/win32/core_mark.h"

#include <windows.h>

namespace kvr {

namespace {
constexpr wchar_t kMarkName[] = L"Local\\KVR-Race-LauncherCore";
} // namespace

bool take_core_mark(bool& failed, unsigned long& error) {
    failed = false;
    // No security attributes: the handle is not inherited, so the game and the cards that the
    // core starts do not keep the mark alive after it.
    HANDLE mark = CreateMutexW(nullptr, FALSE, kMarkName);
    error = GetLastError();
    if (mark && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mark);
        return false;
    }
    // A core started elevated holds a mark this one may not open: it is running all the same.
    if (!mark && error == ERROR_ACCESS_DENIED) return false;
    failed = mark == nullptr;
    return true; // the handle stays open until the process ends: that is the mark
}

bool core_mark_held() {
    HANDLE mark = OpenMutexW(SYNCHRONIZE, FALSE, kMarkName);
    if (mark) {
        CloseHandle(mark);
        return true;
    }
    // Not found: nobody holds it. Denied: a core started elevated does.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

} // namespace kvr
