#include "common/win32/wide.h"

#include "common/utf8.h"

#include <windows.h>

namespace kvr {

namespace {
std::wstring to_wide(std::string_view s, UINT cp) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}
} // namespace

std::wstring utf8_to_wide(std::string_view s) {
    return to_wide(s, CP_UTF8);
}

std::string wide_to_utf8(std::wstring_view s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::string external_to_utf8(std::string_view s) {
    if (is_valid_utf8(s)) return std::string(s);
    return wide_to_utf8(to_wide(s, CP_ACP));
}

std::string env_utf8(const wchar_t* name) {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    if (n == 0 || n >= 1024) return {};
    return wide_to_utf8(std::wstring_view(buf, n));
}

} // namespace kvr
