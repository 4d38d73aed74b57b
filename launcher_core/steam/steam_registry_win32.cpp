#include "launcher_core/steam/steam_registry.h"

#include "launcher_core/steam/steam_files.h"

#include "common/win32/wide.h"

#include <windows.h>

namespace {

LSTATUS read_steam_path(void* buffer, DWORD& bytes) {
    // RRF_RT_REG_SZ also takes REG_EXPAND_SZ, expanded (some installers have written the value
    // so), turns down every other type and always ends the text with a NUL.
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", RRF_RT_REG_SZ,
                        nullptr, buffer, &bytes);
}

} // namespace

std::string steam_root_from_registry() {
    // Sized by asking first, so a long library root is not cut off. A buffer that is too small is
    // never offered: Wine's expansion takes its size in bytes for characters and runs past it.
    DWORD bytes = 0;
    LSTATUS status = read_steam_path(nullptr, bytes);
    std::wstring value;
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 3; ++attempt) {
        value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = read_steam_path(value.data(), bytes);
        if (status == ERROR_SUCCESS) {
            value.resize(bytes / sizeof(wchar_t));
            while (!value.empty() && value.back() == L'\0')
                value.pop_back();
            return normalize_steam_path(kvr::wide_to_utf8(value));
        }
        if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS; // grew meanwhile: ask again
    }
    return {};
}
