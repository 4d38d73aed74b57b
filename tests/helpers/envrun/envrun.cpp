// Test helper: kvr_envrun.exe NAME=VALUE ... -- program [args...]
// Sets environment variables inside Wine (which rebuilds LOCALAPPDATA and friends from the
// prefix, so a value exported in the Linux shell never arrives), then runs the program with the
// same standard handles and returns its exit code.
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    int i = 1;
    for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) {
        std::wstring kv = argv[i];
        const size_t eq = kv.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring value = kv.substr(eq + 1);
        SetEnvironmentVariableW(kv.substr(0, eq).c_str(), value.empty() ? nullptr : value.c_str());
    }
    if (++i >= argc) return 120;
    std::wstring cmd;
    for (int k = i; k < argc; ++k) {
        if (!cmd.empty()) cmd += L' ';
        cmd += L'"';
        cmd += argv[k];
        cmd += L'"';
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 121;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
