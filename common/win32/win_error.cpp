#include "common/win32/win_error.h"

#include "common/text.h"
#include "common/win32/wide.h"

#include <windows.h>

namespace kvr {

std::string error_text(unsigned long code) {
    wchar_t* msg = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&msg), 0, nullptr);
    std::string text = n ? trim(wide_to_utf8(std::wstring_view(msg, n))) : std::string();
    if (msg) LocalFree(msg);
    return text.empty() ? "error " + std::to_string(code) : text;
}

std::string last_error_text() {
    return error_text(GetLastError());
}

} // namespace kvr
