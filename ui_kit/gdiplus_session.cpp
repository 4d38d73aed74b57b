#include "ui_kit/gdiplus_session.h"

#include "ui_kit/gdiplus.h"

namespace kvr::ui {

ULONG_PTR start_gdiplus() {
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, own background thread
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    return token;
}

void stop_gdiplus(ULONG_PTR token) {
    if (token) Gdiplus::GdiplusShutdown(token);
}

void enable_dpi_awareness() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto set_context = user32 ? reinterpret_cast<SetContext>(reinterpret_cast<void*>(
                                    GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                              : nullptr;
    if (set_context)
        set_context(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))); // per monitor v2
    else
        SetProcessDPIAware();
}

} // namespace kvr::ui
