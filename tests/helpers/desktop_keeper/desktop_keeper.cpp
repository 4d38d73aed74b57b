// Test helper: kvr_desktop_keeper.exe
// Wine starts its desktop process with the first program that needs the desktop, and that
// process inherits the program's standard handles; it ends once no program uses the desktop.
// A test program under ctest would then hold ctest's output pipe open until every other
// window program of the run has ended. Started detached before the tests, this program makes
// the desktop process start with harmless handles and keeps it alive until the wineserver stops.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    GetDesktopWindow();
    HWND holder = CreateWindowExW(0, L"STATIC", L"kvr desktop keeper", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    MSG msg;
    while (holder && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    Sleep(INFINITE);
    return 0;
}
