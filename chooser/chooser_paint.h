// The chooser card, drawn from the model; the window paints it through paint_buffered and the
// Windows tests through render_card.
#pragma once
#include "chooser/chooser_model.h"
#include "ui_kit/gdiplus.h"

// `confirm_hot`: the cursor is over the confirm button.
void paint_chooser_card(Gdiplus::Graphics& g, int width, int height, const ChooserState& s,
                        bool confirm_hot);
