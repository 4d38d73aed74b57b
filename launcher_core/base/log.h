// The launcher core's log: launcher.log next to the program, appended, unbuffered, every line
// also on standard output (unless that is a console without a window, which nobody can see).
// No time stamp, level or prefix is ever added to a line.
#pragma once
#include <string>

#if defined(__GNUC__)
#define KVR_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define KVR_PRINTF(fmt_index, first_arg)
#endif

// Opens the log for appending; false (lines then go to the console only) when it cannot.
bool log_open(const std::string& path);
void log_close();

// One line, whatever was formatted into it: controls and line separators in it are escaped as
// log_safe shows them (callers still escape and cap each outside text they put in).
void log_line(const char* fmt, ...) KVR_PRINTF(1, 2);
// Console only, no line feed added.
void console_print(const char* fmt, ...) KVR_PRINTF(1, 2);

// Whether log lines and console texts go to standard output at all (they do unless switched
// off; see use_utf8_console).
void set_console_echo(bool on);
