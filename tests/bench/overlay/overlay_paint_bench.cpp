// kvr_overlay_paint_bench.exe [rounds]: median time of one board paint (30 rows, 200 live
// sparks, slide sweep running) and one timer paint, through the windows' paint code into the
// same off-screen frame the windows blit, plus the blit to a window-sized screen DC.
#include "overlay/overlay_paint.h"
#include "ui_kit/kit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double now_ms() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

template <class Paint> double median_ms(int rounds, int width, int height, const Paint& paint) {
    std::vector<double> times;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, width, height);
    SelectObject(dc, target);
    for (int i = 0; i < rounds; ++i) {
        const double t0 = now_ms();
        auto frame = kvr::ui::render_card(width, height, paint);
        Gdiplus::Graphics out(dc);
        out.DrawImage(frame.get(), 0, 0, width, height);
        times.push_back(now_ms() - t0);
    }
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string thirty_rows() {
    std::string s = "WEEK\tW23\t06-02 ~ 06-08\n";
    for (int i = 1; i <= 30; ++i)
        s += "R\teasy\tarcade\t" + std::to_string(i) + "\tRunner_" + std::to_string(i) + "\t" +
             std::to_string(600 + i * 13.37) + "\t" + std::to_string(300 - i) + "\n";
    return s;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();

    BoardState board;
    board_poll(board, thirty_rows());
    const kvr::RandomInt rnd = [] { return std::rand(); };
    const BoardLayout layout = board_layout(780, 1000);
    board_click(board, layout, layout.difficulty_tabs[1].x + 20, 100, rnd);
    board.particles.clear();
    spawn_burst(board.particles, 200, 390, 500, 255, 196, 80, rnd);
    board.slide = 0.6f;
    const BoardView bv = make_board_view(board, 780, 1000);
    const double board_ms = median_ms(rounds, 780, 1000, [&](Gdiplus::Graphics& g, int w, int h) {
        paint_board_card(g, w, h, bv);
    });

    TimerState timer;
    timer_poll(timer, "1|754.32|4|Sunken Archive", 0);
    const TimerView tv = make_timer_view(timer);
    const double timer_ms = median_ms(rounds * 2, 420, 96, [&](Gdiplus::Graphics& g, int w, int h) {
        paint_timer_card(g, w, h, tv);
    });

    std::printf("board paint (30 rows, %zu sparks, sweep): median %.3f ms over %d\n",
                bv.particles.size(), board_ms, rounds);
    std::printf("timer paint: median %.3f ms over %d\n", timer_ms, rounds * 2);
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}
