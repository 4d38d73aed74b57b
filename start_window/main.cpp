// kvr_launcher: the program the player starts. It starts the launcher core hidden and shows a
// small card that follows launch.state until the game runs, the run is over, or 90 s passed.
#include "start_window/core_process.h"
#include "start_window/launch_progress.h"
#include "start_window/start_card_paint.h"

#include "common/race_names.h"
#include "common/win32/core_mark.h"
#include "common/win32/files.h"
#include "ui_kit/data_dir_rule.h"
#include "ui_kit/kit.h"

#include <cstdio>
#include <windows.h>

namespace {

constexpr UINT_PTR kPollTimer = 1;

struct StartWindow {
    std::wstring state_path;
    LaunchWatch watch;
    bool core_started = false;
};

// At most a few bytes: a stage word is short, and a missing file reads as empty.
std::string read_state_word(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return {};
    char buf[kStateReadLimit];
    const size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    return std::string(buf, n);
}

void on_poll(HWND window, StartWindow& s) {
    kvr::ui::request_repaint(window);
    if (poll_launch_state(s.watch, read_state_word(s.state_path), GetTickCount64()))
        DestroyWindow(window);
}

void on_paint(HWND window, const StartWindow& s) {
    const std::uint64_t elapsed = GetTickCount64() - s.watch.start_ms;
    StartCardView view;
    view.stage = kvr::ui::utf8_to_wide(card_stage_text(s.watch, s.core_started));
    view.footer = kvr::ui::utf8_to_wide(footer_text(elapsed));
    view.dot_phase = dot_phase(elapsed);
    kvr::ui::paint_buffered(window, kvr::ui::kStartWindow, [&](Gdiplus::Graphics& g, int w, int h) {
        paint_start_card(g, w, h, view);
    });
}

LRESULT CALLBACK start_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    StartWindow* s = kvr::ui::state_of<StartWindow>(window, message, lparam);
    switch (message) {
    case WM_TIMER:
        if (s && wparam == kPollTimer) on_poll(window, *s);
        return 0;
    case WM_PAINT:
        if (!s) break;
        on_paint(window, *s);
        return 0;
    }
    return kvr::ui::card_default_proc(window, message, wparam, lparam, kvr::ui::kStartWindow,
                                      kvr::ui::kStartFrame.radius, kvr::ui::OnDestroy::quit);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    StartWindow s;
    const std::wstring program_dir = kvr::ui::utf8_to_wide(kvr::module_directory());
    s.state_path =
        kvr::ui::path_in(kvr::ui::data_dir_wide(), kvr::ui::utf8_to_wide(kvr::race::kLaunchState));
    if (kvr::core_mark_held()) {
        // A race run is already under way (the player started us again): the card follows it.
        // A second core would do nothing, and "checking" would hide the stage the run is at.
        s.core_started = true;
    } else {
        // A word left by an earlier run must not close the new card.
        kvr::write_file(kvr::wide_to_utf8(s.state_path), kvr::race::kChecking);
        s.core_started = start_core_hidden(program_dir + kvr::race::kLauncherCoreExe);
    }

    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    HWND window = kvr::ui::create_card_window(kvr::ui::kStartWindow, kvr::ui::kStartFrame.radius,
                                              start_window_proc, &s);
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        s.watch.start_ms = GetTickCount64();
        SetTimer(window, kPollTimer, kPollMs, nullptr);
        kvr::ui::run_message_loop();
    }
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}
