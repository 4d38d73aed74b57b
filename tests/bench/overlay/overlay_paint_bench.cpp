// kvr_overlay_paint_bench.exe [rounds]: median time of one board paint (30 rows, 200 live
// sparks, slide sweep running) and one timer paint under Wine, each composed the way the window
// does it and copied to a window-sized device context as the window's WM_PAINT copies it. The
// board is measured both in steady animation (its layers already drawn) and on the first frame
// after a tab switch (its tabs and rows drawn anew).
#include "ui_kit/frame_render.h"
#include "overlay/overlay_paint.h"
#include "ui_kit/kit.h"

#include "tests/bench/median_time.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// Copies a frame to a memory DC the way present_frame copies it to the window.
struct Screen {
    HDC dc;
    HBITMAP bitmap;
    Screen(int w, int h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        SelectObject(dc, bitmap);
        ReleaseDC(nullptr, screen);
    }
    ~Screen() {
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void show(const kvr::PixelFrame& f) const {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), f.width, -f.height, 1, 32, BI_RGB};
        SetDIBitsToDevice(dc, 0, 0, f.width, f.height, 0, 0, 0, f.height, f.px.data(), &info,
                          DIB_RGB_COLORS);
    }
};

std::string thirty_rows() {
    std::string s = "WEEK\tW23\t06-02 ~ 06-08\n";
    for (const char* ending : {"arcade", "main"})
        for (int i = 1; i <= 30; ++i)
            s += std::string("R\teasy\t") + ending + "\t" + std::to_string(i) + "\tRunner_" +
                 std::to_string(i) + "\t" + std::to_string(600 + i * 13.37) + "\t" +
                 std::to_string(300 - i) + "\n";
    return s;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 200;
    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    const kvr::RandomInt rnd = [] { return std::rand(); };
    Screen board_screen(780, 1000), timer_screen(420, 96);

    BoardState board;
    board_poll(board, thirty_rows());
    board.particles.clear();
    spawn_burst(board.particles, 200, 390, 500, 255, 196, 80, rnd);
    for (int i = 0; i < 10; ++i)
        kvr::step_particles(board.particles, 0.016f, 2.24f);
    board.slide = 0.6f;
    board.highlight = 0.6f;
    board.last_clicked_tab = 1;
    board.scroll = 120;
    BoardPainter painter;
    BoardView view = make_board_view(board, 780, 1000);
    compose_board(painter, view, 780, 1000); // layers drawn once, as by the first frame
    const double steady = kvr::bench::median_ms(rounds, [&](int i) {
        view.clock = 0.016 * i;
        view.slide = 0.6f - 0.002f * static_cast<float>(i % 100);
        board_screen.show(compose_board(painter, view, 780, 1000));
    });
    const double switching = kvr::bench::median_ms(std::max(3, rounds / 10), [&](int i) {
        view.ending_tab = i % 2; // every frame a tab switch: tabs and rows drawn anew
        view.rows_key = std::to_string(i);
        board_screen.show(compose_board(painter, view, 780, 1000));
    });

    TimerState timer;
    timer_poll(timer, "1|754.32|4|Sunken Archive", 0);
    TimerPainter timer_painter;
    const double timer_ms = kvr::bench::median_ms(rounds * 2, [&](int i) {
        timer_refresh(timer, static_cast<uint64_t>(30 * i));
        timer_screen.show(compose_timer(timer_painter, make_timer_view(timer), 420, 96));
    });

    kvr::bench::print_figure("board_paint_ms", steady);
    kvr::bench::print_figure("board_paint_sparks", static_cast<double>(view.particles.size()));
    kvr::bench::print_figure("board_tab_switch_paint_ms", switching);
    kvr::bench::print_figure("timer_paint_ms", timer_ms);
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}
