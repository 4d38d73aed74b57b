#include "ui_kit/data_files.h"

#include "common/win32/files.h"
#include "ui_kit/data_dir_rule.h"

#include <windows.h>

namespace kvr::ui {

std::string read_whole_file(const std::string& path, size_t max_bytes) {
    std::string bytes;
    kvr::read_file(path, bytes, max_bytes);
    return bytes;
}

std::string data_dir() {
    static const std::string dir = data_dir_from(kvr::env_utf8(L"LOCALAPPDATA"));
    kvr::create_directories(dir);
    return dir;
}

std::string data_path(std::string_view name) {
    return path_in(data_dir(), name);
}

std::wstring data_dir_wide() {
    // Long enough for any path; a longer value reads as unset.
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buf, 32768);
    return data_dir_from(n > 0 && n < 32768 ? std::wstring_view(buf, n) : std::wstring_view());
}

} // namespace kvr::ui
