#include "launcher_core/base/log.h"

#include "launcher_core/base/format_text.h"

#include "common/win32/files.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
FILE* g_log = nullptr;
// A whole line: an answer of 4096 characters, each escaped, and the words around it.
constexpr size_t kLineChars = 1 << 16;
bool g_echo = true;

void echo(const std::string& text) {
    if (!g_echo) return;
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

std::string vformat(const char* fmt, va_list ap) {
    va_list copy;
    va_copy(copy, ap);
    const int n = vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(s.data(), s.size(), fmt, ap);
    s.resize(static_cast<size_t>(n));
    return s;
}
} // namespace

bool log_open(const std::string& path) {
    g_log = kvr::open_file(path, "a");
    if (g_log) setvbuf(g_log, nullptr, _IONBF, 0);
    return g_log != nullptr;
}

void log_close() {
    if (g_log) fclose(g_log);
    g_log = nullptr;
}

void log_line(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    // Callers escape the outside texts they put in a line (and cap them); this is the guard for
    // one they missed: whatever was formatted, it stays one line.
    std::string line = log_safe(vformat(fmt, ap), kLineChars);
    va_end(ap);
    line += '\n';
    if (g_log) {
        fwrite(line.data(), 1, line.size(), g_log);
        fflush(g_log);
    }
    echo(line);
}

void console_print(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const std::string text = vformat(fmt, ap);
    va_end(ap);
    echo(text);
}

void set_console_echo(bool on) {
    g_echo = on;
}
