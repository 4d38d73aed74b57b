// The paint cycle of every card: draw into an off-screen ARGB bitmap, then blit it to the
// window in one go, so a layered window never shows a half-drawn frame.
#pragma once
#include "ui_kit/gdiplus.h"
#include "ui_kit/window_table.h"

#include <functional>
#include <memory>
#include <string>

namespace kvr::ui {

// Draws one card laid out as width x height pixels (the card's size at 96 DPI).
using CardPainter = std::function<void(Gdiplus::Graphics& g, int width, int height)>;

// The off-screen frame: a 32 bpp ARGB bitmap of the card's size times `scale`, cleared to
// transparent, anti-aliased shapes and grid-fitted ClearType text, with the card drawn on it
// through a scaling transform (so text and shapes are drawn at the display's resolution, not
// stretched). paint_buffered blits exactly this bitmap, so a test that saves it sees what the
// window shows.
std::unique_ptr<Gdiplus::Bitmap> render_card(int width, int height, const CardPainter& paint,
                                             float scale = 1.0f);

// The WM_PAINT handler of every card window: the row's card at the window's scale.
void paint_buffered(HWND window, const WindowSpec& row, const CardPainter& paint);

// Saves a bitmap as PNG (UTF-8 path); false when the encoder or the file fails.
bool save_png(Gdiplus::Bitmap& bitmap, const std::string& path);

} // namespace kvr::ui
