// The paint cycle of every card: draw into an off-screen ARGB bitmap, then blit it to the
// window in one go, so a layered window never shows a half-drawn frame.
#pragma once
#include "ui_kit/gdiplus.h"

#include <functional>
#include <memory>
#include <string>

namespace kvr::ui {

// Draws one card on a graphics object whose client area is width x height pixels.
using CardPainter = std::function<void(Gdiplus::Graphics& g, int width, int height)>;

// The off-screen frame: a width x height 32 bpp ARGB bitmap cleared to transparent, anti-aliased
// shapes and grid-fitted ClearType text, with the card drawn on it. paint_buffered blits exactly
// this bitmap, so a test that saves it sees what the window shows.
std::unique_ptr<Gdiplus::Bitmap> render_card(int width, int height, const CardPainter& paint);

// The WM_PAINT handler of every card window.
void paint_buffered(HWND window, const CardPainter& paint);

// Saves a bitmap as PNG (UTF-8 path); false when the encoder or the file fails.
bool save_png(Gdiplus::Bitmap& bitmap, const std::string& path);

} // namespace kvr::ui
