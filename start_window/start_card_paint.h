// The start window's card: game title, the launch stage, running dots and a seconds counter.
#pragma once
#include "ui_kit/gdiplus.h"

#include <string>

struct StartCardView {
    std::wstring stage;  // the stage line
    std::wstring footer; // "launcher v1  ·  12s"
    int dot_phase = 0;   // which of the four dots is lit
};

void paint_start_card(Gdiplus::Graphics& g, int width, int height, const StartCardView& view);
