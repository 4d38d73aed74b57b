// The Steam root as the Steam client records it in the current user's registry.
#include "launcher_core/steam_detection.h"
#include "launcher_core/steam_files.h"

#include "common/win32/wide.h"

#include <windows.h>

std::string steam_root_from_registry() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return {};
    // Sized by the value itself rather than MAX_PATH, so a long library root is not cut off.
    // The type is not checked: some installers have written the value as REG_EXPAND_SZ.
    DWORD bytes = 0;
    std::wstring value;
    LSTATUS status = RegQueryValueExW(key, L"SteamPath", nullptr, nullptr, nullptr, &bytes);
    if (status == ERROR_SUCCESS && bytes > 0) {
        value.resize(bytes / sizeof(wchar_t) + 1);
        status = RegQueryValueExW(key, L"SteamPath", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(value.data()), &bytes);
        value.resize(status == ERROR_SUCCESS ? bytes / sizeof(wchar_t) : 0);
    }
    RegCloseKey(key);
    // Registry strings may or may not carry their terminating NUL.
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return normalize_steam_path(kvr::wide_to_utf8(value));
}
