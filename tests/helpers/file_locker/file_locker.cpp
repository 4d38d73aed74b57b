// Test helper: kvr_file_locker.exe <path> <ready-file>
//
// Opens <path> (creating it when missing) with no sharing at all, the way an editor or a virus
// scanner can hold a file: every other open fails until it lets go. Then writes "locked" to
// <ready-file> ("failed <error>" when the file could not be held) and keeps the file until
// <ready-file> is deleted or ten minutes have passed.
#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::string ready = kvr::wide_to_utf8(argv[2]);
    HANDLE h = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool held = h != INVALID_HANDLE_VALUE;
    kvr::write_file(ready, held ? "locked" : "failed " + std::to_string(GetLastError()));
    if (!held) return 1;
    for (int i = 0; i < 6000 && kvr::path_exists(ready); ++i)
        Sleep(100);
    CloseHandle(h);
    return 0;
}
