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
    // A value longer than the buffer is not cut: the call then tells the size it needs.
    std::wstring value(260, L'\0');
    DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (n >= value.size()) {
        value.resize(n);
        n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    }
    if (n == 0 || n >= value.size()) return {};
    return wide_to_utf8(std::wstring_view(value.data(), n));
}

} // namespace kvr
