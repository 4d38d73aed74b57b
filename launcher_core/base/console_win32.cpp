#include "launcher_core/base/console.h"

#include "launcher_core/base/log.h"

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace {
UINT g_input_cp = 0;
UINT g_output_cp = 0;

void restore_console_code_pages() {
    SetConsoleCP(g_input_cp);
    SetConsoleOutputCP(g_output_cp);
}

// A console without a window: the start window runs the core with CREATE_NO_WINDOW, so its
// standard handles are a console that nobody can see or type into.
bool is_hidden_console(DWORD std_handle) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(std_handle), &mode) && GetConsoleWindow() == nullptr;
}
} // namespace

void use_utf8_console() {
    // The code pages belong to the console, not to this process: started from a command prompt,
    // the prompt would stay in UTF-8 after the run. They are put back at exit.
    g_input_cp = GetConsoleCP();
    g_output_cp = GetConsoleOutputCP();
    SetConsoleCP(CP_UTF8);
    SetConsoleOutputCP(CP_UTF8);
    if (g_input_cp != 0 && g_output_cp != 0) std::atexit(restore_console_code_pages);
    // Echoing every log line into a console nobody can see cost the player about 0.4 s before
    // the game started under Wine (each write is a round trip to the console host); the lines
    // are in launcher.log all the same. A visible console, a file or a pipe gets every line.
    set_console_echo(!is_hidden_console(STD_OUTPUT_HANDLE));
}

void wait_for_enter() {
    console_print("\n按回车键退出...");
    if (is_hidden_console(STD_INPUT_HANDLE)) return;
    getchar(); // a file or pipe returns at its end
}
