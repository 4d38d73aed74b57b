// kvr_overlay: the race timer strip and the leaderboard board over the game, or, with
// "--notice <text>", a one-off card naming the registered difficulty. It ends by itself once
// the game has come and gone.
#include "overlay/board_window.h"
#include "overlay/notice_mode.h"
#include "overlay/overlay_app.h"
#include "overlay/overlay_worker.h"
#include "overlay/timer_window.h"
#include "ui_kit/kit.h"

#include <shellapi.h>

namespace {

int run_overlay(Overlay& o) {
    kvr::ui::enable_dpi_awareness();
    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    o.window_thread = GetCurrentThreadId();
    o.board_window = create_board_window(o);
    o.timer_window = create_timer_window(o);

    // Only a "1" shows the strip from the start; a "0" anywhere keeps it off for good.
    const std::string enabled = kvr::ui::read_whole_file(o.files.timer_enabled);
    o.timer.enabled = !switch_file_has(enabled, '0');
    if (o.timer_window) {
        if (switch_file_has(enabled, '1')) kvr::ui::show_on_top(o.timer_window);
        if (o.timer.enabled) SetTimer(o.timer_window, kTimerRefreshTimer, kTimerRefreshMs, nullptr);
    }

    HANDLE worker = CreateThread(nullptr, 0, overlay_worker, &o, 0, nullptr);
    if (worker) CloseHandle(worker);
    kvr::ui::run_message_loop();
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    static Overlay overlay;
    overlay.files = overlay_files();

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool notice = argv && argc >= 3 && std::wstring(argv[1]) == L"--notice";
    const std::wstring text = notice ? argv[2] : L"";
    if (argv) LocalFree(argv);
    return notice ? run_notice_mode(text) : run_overlay(overlay);
}
