// kvr_card_paint_bench.exe [rounds]: the median time of one frame of each card under Wine's GDI+,
// drawn into a bitmap as the windows draw it. The start window and the progress card repaint
// every 150 ms, the final card every 250 ms.
#include "result_card/result_paint.h"
#include "start_window/start_card_paint.h"
#include "ui_kit/gdiplus_session.h"
#include "ui_kit/paint_buffered.h"

#include "tests/bench/median_time.h"

#include <algorithm>
#include <cstdlib>

namespace {

double frame_ms(int rounds, int w, int h, const kvr::ui::CardPainter& paint) {
    return kvr::bench::median_ms(rounds, [&](int) { kvr::ui::render_card(w, h, paint); });
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 60;
    const ULONG_PTR gdiplus = kvr::ui::start_gdiplus();
    const StartCardView start{L"Checking game files...", L"launcher v1  \u00B7  12s", 2};
    const FinalCardView final_card = final_card_view(
        final_card_text(parse_result_options({"--ok", "1", "--total", "754.32", "--difficulty",
                                              "nightmare", "--ending", "true", "--rank", "3",
                                              "--points", "120", "--msg", "成绩已记录"})),
        40);
    kvr::bench::print_figure("start_card_paint_ms",
                             frame_ms(rounds, 460, 300, [&](Gdiplus::Graphics& g, int w, int h) {
                                 paint_start_card(g, w, h, start);
                             }));
    kvr::bench::print_figure("progress_card_paint_ms",
                             frame_ms(rounds, 460, 300, [&](Gdiplus::Graphics& g, int w, int h) {
                                 paint_progress_card(g, w, h, ProgressCardView{1});
                             }));
    kvr::bench::print_figure("final_card_paint_ms",
                             frame_ms(rounds, 480, 380, [&](Gdiplus::Graphics& g, int w, int h) {
                                 paint_final_card(g, w, h, final_card);
                             }));
    kvr::ui::stop_gdiplus(gdiplus);
    return 0;
}
