// kvr_result: the progress card shown while the launcher core uploads a run, and the final
// result card after it. Command line in result_options.h.
#include "result_card/result_options.h"
#include "result_card/result_paint.h"
#include "result_card/result_view.h"

#include "ui_kit/kit.h"

#include <shellapi.h>
#include <windows.h>

namespace {

constexpr UINT_PTR kPollTimer = 1;      // progress card: upload.state
constexpr UINT_PTR kCountdownTimer = 2; // final card: countdown and auto-close
constexpr UINT kCountdownTickMs = 250;

struct ResultWindow {
    ResultOptions options;
    FinalCardText text;
    std::uint64_t start_ms = 0;
    const kvr::ui::WindowSpec& row() const {
        return options.progress ? kvr::ui::kProgressCardWindow : kvr::ui::kFinalCardWindow;
    }
};

std::uint64_t elapsed_ms(const ResultWindow& s) {
    return GetTickCount64() - s.start_ms;
}

std::vector<std::string> utf8_arguments() {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i)
        args.push_back(kvr::wide_to_utf8(argv[i]));
    LocalFree(argv);
    return args;
}

void on_poll(HWND window, const ResultWindow& s) {
    kvr::ui::request_repaint(window);
    const bool finished = upload_finished(kvr::ui::read_whole_file(s.options.state_path));
    if (finished || elapsed_ms(s) > kProgressLimitMs) DestroyWindow(window);
}

void on_countdown(HWND window, const ResultWindow& s) {
    kvr::ui::request_repaint(window);
    if (seconds_left(elapsed_ms(s)) == 0) DestroyWindow(window);
}

void on_paint(HWND window, const ResultWindow& s) {
    if (s.options.progress) {
        const ProgressCardView view{static_cast<int>((elapsed_ms(s) / 260) % 4)};
        kvr::ui::paint_buffered(window, s.row(), [&](Gdiplus::Graphics& g, int w, int h) {
            paint_progress_card(g, w, h, view);
        });
        return;
    }
    const FinalCardView view = final_card_view(s.text, seconds_left(elapsed_ms(s)));
    kvr::ui::paint_buffered(window, s.row(), [&](Gdiplus::Graphics& g, int w, int h) {
        paint_final_card(g, w, h, view);
    });
}

// The final card goes on a click or Escape, Enter or Space; the progress card stays until the
// upload is over.
void on_dismiss(HWND window, const ResultWindow& s) {
    if (!s.options.progress) DestroyWindow(window);
}

LRESULT CALLBACK result_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    ResultWindow* s = kvr::ui::state_of<ResultWindow>(window, message, lparam);
    if (!s) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_TIMER:
        if (wparam == kPollTimer) on_poll(window, *s);
        if (wparam == kCountdownTimer) on_countdown(window, *s);
        return 0;
    case WM_PAINT:
        on_paint(window, *s);
        return 0;
    case WM_LBUTTONUP:
        on_dismiss(window, *s);
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE || wparam == VK_RETURN || wparam == VK_SPACE)
            on_dismiss(window, *s);
        return 0;
    }
    return kvr::ui::card_default_proc(window, message, wparam, lparam, s->row(),
                                      kvr::ui::kResultFrame.radius, kvr::ui::OnDestroy::quit);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ResultWindow s;
    s.options = parse_result_options(utf8_arguments());
    s.text = final_card_text(s.options);

    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    HWND window =
        kvr::ui::create_card_window(s.row(), kvr::ui::kResultFrame.radius, result_window_proc, &s);
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        s.start_ms = GetTickCount64();
        if (s.options.progress)
            SetTimer(window, kPollTimer, kProgressPollMs, nullptr);
        else
            SetTimer(window, kCountdownTimer, kCountdownTickMs, nullptr);
        kvr::ui::run_message_loop();
    }
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}
