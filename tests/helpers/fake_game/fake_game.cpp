// Test helper: Hollowmaze-Win64-Shipping.exe, the fake game.
//
// Steam starts the game with no arguments, so this program takes its orders from a script next
// to it: its own path with ".exe" replaced by ".script" (a renamed copy reads its own script).
// It calls the C runtime's rand() first thing (imported by name from the runtime DLL, so the
// in-game mod's hook has a real import to patch), then runs the script and exits 0 at its end.
// Without a script it exits 0 at once.
//
// Script: UTF-8, one command per line; blank lines and lines starting with '#' are skipped. A
// path is one word or a double-quoted string (for blanks); a relative path is taken from the
// game's folder. <text> is the rest of the line with the escapes \n \r \t \\ decoded.
//
//   sleep <ms>                wait (a window opened by "window" keeps answering meanwhile)
//   await <path> [<text>]     wait until the file exists (and holds the text), at most 60 s
//   write <path> <text>       replace the file with the text (missing parent folders created)
//   append <path> <text>      append the text to the file
//   copy <from> <to>          write a prepared file's bytes over the target (a fresh write, as
//                             the in-game script's: the target gets the time of now)
//   delete <path>             delete a file
//   srand <seed>              seed the runtime's generator
//   rand <path> <count>       append <count> rand() results to the file, one per line
//   whereami <path>           write "cwd=<working directory>\ncmdline=<command line>\n"
//   window <title>            show a plain 1280x720 window with that title
//   exit <code>               end at once with that exit code
//
// A command that fails or is not known is recorded in "<exe without .exe>.errors" next to the
// program, and the script goes on.
#include "common/utf8.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <windows.h>

namespace {

std::string g_game_dir; // ends with a backslash
std::string g_errors_path;

void record_error(const std::string& line) {
    if (FILE* f = kvr::open_file(g_errors_path, "ab")) {
        fputs((line + "\n").c_str(), f);
        fclose(f);
    }
}

std::string take_word(std::string_view& rest) {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    std::string word;
    if (!rest.empty() && rest.front() == '"') {
        const size_t end = rest.find('"', 1);
        word = std::string(rest.substr(1, end == std::string_view::npos ? rest.npos : end - 1));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    } else {
        const size_t end = rest.find_first_of(" \t");
        word = std::string(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    return word;
}

std::string take_text(std::string_view rest) {
    if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    std::string text;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '\\' || i + 1 == rest.size()) {
            text += rest[i];
            continue;
        }
        const char c = rest[++i];
        text += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return text;
}

std::string full_path(const std::string& p) {
    const bool absolute = p.size() > 1 && (p[1] == ':' || (p[0] == '\\' && p[1] == '\\'));
    return absolute ? p : g_game_dir + p;
}

bool write_with_parents(const std::string& path, const std::string& text, const char* mode) {
    const size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos) kvr::create_directories(path.substr(0, cut));
    FILE* f = kvr::open_file(path, mode);
    if (!f) return false;
    const bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

LRESULT CALLBACK window_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) return 0; // the game ends by its script, not by a click
    return DefWindowProcW(w, msg, wp, lp);
}

bool open_window(const std::string& title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(24, 28, 36));
    wc.lpszClassName = L"HollowmazeFakeGame";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, kvr::utf8_to_wide(title).c_str(),
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1280, 720, nullptr, nullptr,
                             wc.hInstance, nullptr);
    return w != nullptr;
}

// Sleeps while still dispatching window messages.
void pump_for(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const LONG left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

bool where_am_i(const std::string& path) {
    wchar_t cwd[32768];
    const DWORD n = GetCurrentDirectoryW(32768, cwd);
    return write_with_parents(path,
                              "cwd=" + kvr::wide_to_utf8(std::wstring_view(cwd, n)) +
                                  "\ncmdline=" + kvr::wide_to_utf8(GetCommandLineW()) + "\n",
                              "wb");
}

// Its own function with one rand() call instruction: tests find that call site by this name.
__attribute__((noinline)) bool append_rand(const std::string& path, int count) {
    std::string values;
#pragma GCC unroll 1
    for (int i = 0; i < count; ++i)
        values += std::to_string(rand()) + "\n";
    return write_with_parents(path, values, "ab");
}

// Waits for another program's sign; false when it did not come within the bound.
bool await_file(const std::string& path, const std::string& text) {
    const DWORD end = GetTickCount() + 60000;
    for (;;) {
        std::string content;
        if (kvr::read_file(path, content) && content.find(text) != std::string::npos) return true;
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
        pump_for(20);
    }
}

// Runs one script line; false when it failed.
bool run_command(std::string_view line) {
    std::string_view rest = line;
    const std::string cmd = take_word(rest);
    if (cmd == "sleep") {
        pump_for(static_cast<DWORD>(std::strtoul(take_word(rest).c_str(), nullptr, 10)));
    } else if (cmd == "await") {
        const std::string path = full_path(take_word(rest));
        return await_file(path, take_text(rest));
    } else if (cmd == "write" || cmd == "append") {
        const std::string path = full_path(take_word(rest));
        return write_with_parents(path, take_text(rest), cmd == "write" ? "wb" : "ab");
    } else if (cmd == "copy") {
        const std::string from = full_path(take_word(rest));
        const std::string to = full_path(take_word(rest));
        std::string bytes;
        return kvr::read_file(from, bytes) && write_with_parents(to, bytes, "wb");
    } else if (cmd == "delete") {
        return kvr::delete_file(full_path(take_word(rest)));
    } else if (cmd == "srand") {
        srand(static_cast<unsigned>(std::strtoul(take_word(rest).c_str(), nullptr, 10)));
    } else if (cmd == "rand") {
        const std::string path = full_path(take_word(rest));
        return append_rand(path, std::atoi(take_word(rest).c_str()));
    } else if (cmd == "whereami") {
        return where_am_i(full_path(take_word(rest)));
    } else if (cmd == "window") {
        return open_window(take_text(rest));
    } else if (cmd == "exit") {
        ExitProcess(static_cast<UINT>(std::atoi(take_word(rest).c_str())));
    } else {
        return false;
    }
    return true;
}

} // namespace

int wmain() {
    // The import the race's mod hooks: one call before anything else, as a game's start-up would.
    volatile int first = rand();
    (void)first;

    wchar_t self[32768];
    const std::string exe =
        kvr::wide_to_utf8(std::wstring_view(self, GetModuleFileNameW(nullptr, self, 32768)));
    const std::string stem = exe.size() > 4 ? exe.substr(0, exe.size() - 4) : exe;
    g_game_dir = kvr::module_directory();
    g_errors_path = stem + ".errors";

    std::string script;
    if (!kvr::read_file(stem + ".script", script)) return 0;
    script = std::string(kvr::strip_utf8_bom(script));
    size_t pos = 0;
    while (pos < script.size()) {
        size_t end = script.find('\n', pos);
        if (end == std::string::npos) end = script.size();
        std::string line = script.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (!run_command(line)) record_error(line);
    }
    return 0;
}
