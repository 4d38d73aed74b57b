// The two cards of kvr_result, drawn with the kit in the start window's look.
#pragma once
#include "result_card/result_view.h"
#include "ui_kit/gdiplus.h"

#include <string>

struct ProgressCardView {
    int dot_phase = 0; // which of the four dots is lit
};

void paint_progress_card(Gdiplus::Graphics& g, int width, int height, const ProgressCardView& view);

struct FinalCardView {
    Outcome outcome = Outcome::no_result;
    bool time_known = false;
    std::wstring title, time, labels, rank_line, message, launcher_hint, countdown;
};

// The texts of the final card, wide, with the countdown at `seconds_left`.
FinalCardView final_card_view(const FinalCardText& text, int seconds_left);

void paint_final_card(Gdiplus::Graphics& g, int width, int height, const FinalCardView& view);
