#include "launcher_core/console.h"

#include "launcher_core/log.h"

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

bool input_is_hidden_console() {
    DWORD mode = 0;
    const bool console_input = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
    return console_input && GetConsoleWindow() == nullptr;
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
}

void wait_for_enter() {
    console_print("\n按回车键退出...");
    if (input_is_hidden_console()) return;
    getchar(); // a file or pipe returns at its end
}
