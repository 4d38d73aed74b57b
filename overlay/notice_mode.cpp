// Notice mode: one card telling the player which difficulty was registered. It never takes the
// focus and goes once the game runs, or after three minutes.
#include "overlay/notice_mode.h"

#include "overlay/game_process.h"
#include "overlay/overlay_paint.h"
#include "ui_kit/kit.h"

namespace {

constexpr ULONGLONG kNoticeLimitMs = 180000;
constexpr DWORD kNoticePassMs = 150;

LRESULT CALLBACK notice_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto* text = kvr::ui::state_of<const std::wstring>(window, message, lparam);
    switch (message) {
    case WM_PAINT:
        if (!text) break;
        kvr::ui::paint_buffered(window, kvr::ui::kNoticeWindow,
                                [&](Gdiplus::Graphics& g, int width, int height) {
                                    paint_notice_card(g, width, height, *text);
                                });
        return 0;
    }
    return kvr::ui::card_default_proc(window, message, wparam, lparam, kvr::ui::kNoticeWindow,
                                      kvr::ui::kNoticeFrame.radius, kvr::ui::OnDestroy::stay);
}

void pump_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

int run_notice_mode(const std::wstring& text) {
    static const std::wstring notice = text;
    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    kvr::ui::enable_dpi_awareness();
    HWND window = kvr::ui::create_card_window(kvr::ui::kNoticeWindow, kvr::ui::kNoticeFrame.radius,
                                              notice_window_proc,
                                              const_cast<void*>(static_cast<const void*>(&notice)));
    if (window) kvr::ui::show_on_top(window);
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        pump_messages();
        if (game_running() || GetTickCount64() - start > kNoticeLimitMs) break;
        Sleep(kNoticePassMs);
    }
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}
