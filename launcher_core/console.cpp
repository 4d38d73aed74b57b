#include "launcher_core/console.h"

#include "launcher_core/log.h"

#include <cstdio>
#include <windows.h>

void use_utf8_console() {
    SetConsoleCP(CP_UTF8);
    SetConsoleOutputCP(CP_UTF8);
}

namespace {
bool input_is_hidden_console() {
    DWORD mode = 0;
    const bool console_input = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
    return console_input && GetConsoleWindow() == nullptr;
}
} // namespace

void wait_for_enter() {
    console_print("\n按回车键退出...");
    if (input_is_hidden_console()) return;
    getchar(); // a file or pipe returns at its end
}
