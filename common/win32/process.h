// Starting and finding processes.
#pragma once
#include <string>

namespace kvr {

struct StartedProcess {
    void* process = nullptr; // HANDLE; close with close_process
    unsigned long pid = 0;
    unsigned long error = 0; // GetLastError when the start failed
};

// CreateProcessW with a full command line (UTF-8), no inherited handles. `cwd` empty means the
// caller's working directory.
bool start_process(const std::string& command_line, const std::string& cwd, unsigned long flags,
                   StartedProcess& out);
// Waits up to `ms` (INFINITE when negative); true when the process ended. Exit code optional.
bool wait_process(const StartedProcess& p, long ms, unsigned long* exit_code = nullptr);
void close_process(StartedProcess& p);

// Pid of the first running process whose executable name matches (case-insensitive), or 0.
unsigned long find_process_by_name(const std::wstring& exe_name);

// Opens a document or URL with the shell's "open" verb, shown normally.
bool shell_open(const std::string& target);

} // namespace kvr
