#include "common/win32/process.h"

#include "common/win32/wide.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <tlhelp32.h>

namespace kvr {

bool start_process(const std::string& command_line, const std::string& cwd, unsigned long flags,
                   StartedProcess& out) {
    out = StartedProcess{};
    std::wstring cmd = utf8_to_wide(command_line);
    const std::wstring wcwd = utf8_to_wide(cwd);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        wcwd.empty() ? nullptr : wcwd.c_str(), &si, &pi)) {
        out.error = GetLastError();
        return false;
    }
    CloseHandle(pi.hThread);
    out.process = pi.hProcess;
    out.pid = pi.dwProcessId;
    return true;
}

bool wait_process(const StartedProcess& p, long ms, unsigned long* exit_code) {
    if (!p.process) return false;
    const DWORD r = WaitForSingleObject(p.process, ms < 0 ? INFINITE : static_cast<DWORD>(ms));
    if (r != WAIT_OBJECT_0) return false;
    if (exit_code) {
        DWORD code = 0;
        GetExitCodeProcess(p.process, &code);
        *exit_code = code;
    }
    return true;
}

void close_process(StartedProcess& p) {
    if (p.process) CloseHandle(p.process);
    p.process = nullptr;
}

unsigned long find_process_by_name(const std::wstring& exe_name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    unsigned long pid = 0;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe)) {
        if (_wcsicmp(pe.szExeFile, exe_name.c_str()) == 0) {
            pid = pe.th32ProcessID;
            break;
        }
    }
    CloseHandle(snap);
    return pid;
}

bool shell_open(const std::string& target) {
    // The shell may hand the verb to a COM handler that wants a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring file = utf8_to_wide(target);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Finished before the call returns: the caller has no message loop to complete the hand-over
    // in the background, and may end right away ("--profile" does).
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool opened = ShellExecuteExW(&info);
    if (SUCCEEDED(com)) CoUninitialize();
    return opened;
}

} // namespace kvr
