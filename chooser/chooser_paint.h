// The chooser card. It animates every frame (the selected badge breathes), so a painter keeps
// the card as drawn for the current selection, hover and button state, and composes each frame
// from it plus the moving parts: the badge's border, the pulse ring and the sparks. The window
// shows the composed frame and the Windows tests check it.
#pragma once
#include "chooser/chooser_model.h"
#include "common/pixel_frame.h"

#include <string>

struct ChooserPainter {
    float scale = 0;      // of the layers below
    kvr::PixelFrame base; // card, title and subtitle
    kvr::PixelFrame card; // base with the panels and button of `card_key`
    std::string card_key;
    kvr::PixelFrame frame;
};

// `confirm_hot`: the cursor is over the confirm button. `width` x `height` is the card's layout
// size; the frame is `scale` times that in pixels.
const kvr::PixelFrame& compose_chooser(ChooserPainter& p, const ChooserState& s, bool confirm_hot,
                                       int width, int height, float scale = 1.0f);
