// How long one frame of each card takes to paint under this GDI+ (a measurement, printed, not
// asserted): the start window and the progress card repaint every 150 ms, the final card every
// 250 ms.
#include "result_card/result_paint.h"
#include "start_window/start_card_paint.h"
#include "ui_kit/paint_buffered.h"

#include <chrono>
#include <cstdio>

#include <gtest/gtest.h>

namespace {

double ms_per_frame(int w, int h, const kvr::ui::CardPainter& paint) {
    constexpr int kFrames = 40;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i)
        kvr::ui::render_card(w, h, paint);
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / kFrames;
}

} // namespace

TEST(PaintTiming, EachCardOneFrame) {
    const StartCardView start{L"Checking game files...", L"launcher v1  \u00B7  12s", 2};
    const FinalCardView final_card = final_card_view(
        final_card_text(parse_result_options({"--ok", "1", "--total", "754.32", "--difficulty",
                                              "nightmare", "--ending", "true", "--rank", "3",
                                              "--points", "120", "--msg", "成绩已记录"})),
        40);
    const double start_ms = ms_per_frame(
        460, 300, [&](Gdiplus::Graphics& g, int w, int h) { paint_start_card(g, w, h, start); });
    const double progress_ms = ms_per_frame(460, 300, [&](Gdiplus::Graphics& g, int w, int h) {
        paint_progress_card(g, w, h, ProgressCardView{1});
    });
    const double final_ms = ms_per_frame(480, 380, [&](Gdiplus::Graphics& g, int w, int h) {
        paint_final_card(g, w, h, final_card);
    });
    std::printf("paint per frame: start card %.1f ms, progress card %.1f ms, final card %.1f ms\n",
                start_ms, progress_ms, final_ms);
    RecordProperty("start_card_ms", static_cast<int>(start_ms + 0.5));
    RecordProperty("progress_card_ms", static_cast<int>(progress_ms + 0.5));
    RecordProperty("final_card_ms", static_cast<int>(final_ms + 0.5));
}
