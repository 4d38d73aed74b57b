// The overlay's worker thread.
#pragma once
#include <windows.h>

// The thread procedure, given the Overlay: follows the data files and the game process until
// the game has come and gone (or never came within five minutes), then ends the window thread's
// message loop.
DWORD WINAPI overlay_worker(void* overlay);
