#include "remote_loader.h"

#include "common/win32/process.h"
#include "common/win32/wide.h"
#include "common/win32/win_error.h"

#include <windows.h>
#include <tlhelp32.h>

namespace kvr {

namespace {

std::wstring file_name_of(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Base of a module of another process, by file name.
uintptr_t remote_module_base(DWORD pid, const std::wstring& name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    uintptr_t base = 0;
    for (BOOL more = Module32FirstW(snap, &entry); more; more = Module32NextW(snap, &entry)) {
        if (_wcsicmp(entry.szModule, name.c_str()) == 0) {
            base = reinterpret_cast<uintptr_t>(entry.modBaseAddr);
            break;
        }
    }
    CloseHandle(snap);
    return base;
}

// The same function in the other process: same module, same offset from its base.
uintptr_t remote_function(DWORD pid, HMODULE local_module, const char* function) {
    const auto local = reinterpret_cast<uintptr_t>(GetProcAddress(local_module, function));
    HMODULE owner = nullptr;
    if (!local || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                          GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      reinterpret_cast<LPCWSTR>(local), &owner)) {
        return 0;
    }
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(owner, path, MAX_PATH);
    const uintptr_t base = remote_module_base(pid, file_name_of(std::wstring(path, n)));
    return base ? base + (local - reinterpret_cast<uintptr_t>(owner)) : 0;
}

void* copy_text_into(HANDLE process, const std::wstring& text) {
    const SIZE_T size = (text.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote && !WriteProcessMemory(process, remote, text.c_str(), size, nullptr))
        remote = nullptr;
    return remote;
}

// Runs function(parameter) on a new thread of the process; false when it did not finish.
bool run_remote(HANDLE process, uintptr_t function, void* parameter, DWORD& exit_code) {
    HANDLE thread =
        CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(function),
                           parameter, 0, nullptr);
    if (!thread) return false;
    const bool done = WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
    GetExitCodeThread(thread, &exit_code);
    CloseHandle(thread);
    return done;
}

int inject(DWORD pid, HANDLE process, const RemoteLoad& load, std::string& error) {
    auto fail = [&](int step, const char* what) {
        error = std::string(what) + ": " + error_text(GetLastError());
        return -step;
    };
    const uintptr_t load_library =
        remote_function(pid, GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    if (!load_library) return fail(3, "LoadLibraryW not found in the program");
    void* remote_path = copy_text_into(process, load.agent_dll);
    DWORD loaded = 0;
    if (!remote_path || !run_remote(process, load_library, remote_path, loaded))
        return fail(4, "loading the agent (not started, or no answer within 60 s)");
    if (!loaded) {
        error = "the program could not load the agent";
        return -4;
    }
    // The export's offset, from a copy mapped here without running or resolving anything.
    HMODULE local_agent =
        LoadLibraryExW(load.agent_dll.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    const auto local_play =
        reinterpret_cast<uintptr_t>(GetProcAddress(local_agent, "kvr_play_loader"));
    const uintptr_t remote_agent = remote_module_base(pid, file_name_of(load.agent_dll));
    if (!local_agent || !local_play || !remote_agent) return fail(5, "agent export not found");
    const uintptr_t play = remote_agent + (local_play - reinterpret_cast<uintptr_t>(local_agent));
    FreeLibrary(local_agent);

    void* remote_orders = copy_text_into(process, load.orders);
    DWORD result = 0;
    if (!remote_orders || !run_remote(process, play, remote_orders, result)) {
        return fail(6, "running the agent");
    }
    return static_cast<int>(result);
}

} // namespace

int run_loader_in(const RemoteLoad& load, std::string& error) {
    const DWORD pid = find_process_by_name(load.program);
    if (!pid) {
        error = "program not running";
        return -1;
    }
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) {
        error = "cannot open the program: " + error_text(GetLastError());
        return -2;
    }
    // The program runs on while the loader goes in; the program waits for the loader's sign
    // itself. Suspending its main thread instead deadlocks whenever that thread is caught
    // holding a lock the loader needs (the process heap's, the loader's own).
    const int result = inject(pid, process, load, error);
    CloseHandle(process);
    return result;
}

} // namespace kvr
