// GDI+ drawing into composed frames, and composed frames shown in a window (see
// common/pixel_frame.h): the paint path of the cards that animate every frame.
#pragma once
#include "common/pixel_frame.h"
#include "ui_kit/gdiplus.h"

#include <functional>
#include <memory>

namespace kvr::ui {

enum class TextOn { card, transparent };

// Draws into the frame's own pixels with the cards' settings (antialiased shapes, grid-fitted
// text), in layout pixels scaled by `scale`. Text drawn on a transparent layer uses grey
// antialiasing: ClearType needs a known background to blend its colour fringes against.
void draw_into(PixelFrame& frame, const std::function<void(Gdiplus::Graphics&)>& paint,
               TextOn text = TextOn::card, float scale = 1.0f);

// The WM_PAINT handler of a window drawn from composed frames: the frame over black, copied to
// the window in one go (the corners outside the card are cut off by the window's region).
void present_frame(HWND window, const PixelFrame& frame);

// The frame (or only its part `part`) copied to a device context, frame (0, 0) at (0, 0).
void show_frame(HDC dc, const PixelFrame& frame);
void show_frame(HDC dc, const PixelFrame& frame, PixelRect part);

// A GDI+ copy of a frame, for saving and pixel checks.
std::unique_ptr<Gdiplus::Bitmap> frame_bitmap(const PixelFrame& frame);

} // namespace kvr::ui
