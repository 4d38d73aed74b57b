#include "launcher_core/base/message_box.h"

#include "common/win32/wide.h"

#include <windows.h>

void show_message_box(const std::string& text, BoxIcon icon) {
    const UINT flags =
        MB_OK | MB_TOPMOST | (icon == BoxIcon::error ? MB_ICONERROR : MB_ICONINFORMATION);
    MessageBoxW(nullptr, kvr::utf8_to_wide(text).c_str(), L"KVR 周赛", flags);
}
