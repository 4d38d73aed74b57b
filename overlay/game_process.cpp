#include "overlay/game_process.h"

#include "common/race_names.h"
#include "common/win32/process.h"

#include <windows.h>

// Once the game is found its process is held open: asking whether it has ended is far cheaper
// than a snapshot of every process, which under Wine reads /proc for every thread on the machine.
bool game_running() {
    static HANDLE game = nullptr;
    if (game) {
        if (WaitForSingleObject(game, 0) == WAIT_TIMEOUT) return true;
        CloseHandle(game);
        game = nullptr;
    }
    const unsigned long pid = kvr::find_process_by_name(kvr::race::kGameExeWide);
    if (pid == 0) return false;
    game = OpenProcess(SYNCHRONIZE, FALSE, pid);
    return true;
}
