// Rounded panels, the card frame and gradient fills.
#pragma once
#include "ui_kit/card_look.h"
#include "ui_kit/gdiplus.h"

#include <memory>

namespace kvr::ui {

// Four quarter arcs in 2r x 2r boxes (top-left, top-right, bottom-right, bottom-left), joined
// by straight edges and closed. Appended to `path`. A radius larger than half the rectangle's
// shorter side is reduced to it, so small shapes stay round instead of folding over.
void rounded_rect_path(Gdiplus::GraphicsPath& path, const Gdiplus::RectF& rect, float radius);

// Fills the rounded rectangle and, when border_width > 0, strokes its outline.
void fill_rounded_rect(Gdiplus::Graphics& g, const Gdiplus::RectF& rect, float radius, Argb fill,
                       Argb border, float border_width);
// Only the outline (rings, highlights).
void stroke_rounded_rect(Gdiplus::Graphics& g, const Gdiplus::RectF& rect, float radius,
                         Argb colour, float width);

// The card every window draws first: the rounded panel over the whole client area with a
// vertical gradient, a 1.2 px border, and the golden accent bar along the top edge (skipped
// when the frame's bar height is 0).
void draw_card_frame(Gdiplus::Graphics& g, int width, int height, const CardFrame& frame);

// Linear gradient from `from` (colour a) to `to` (colour b); tiles beyond the two points.
std::unique_ptr<Gdiplus::LinearGradientBrush> linear_brush(Gdiplus::PointF from, Gdiplus::PointF to,
                                                           Argb a, Argb b);

struct GradientStop {
    Argb colour;
    float position; // 0 at `from`, 1 at `to`
};
// A gradient through three colours (a light band that fades in and out, for instance).
std::unique_ptr<Gdiplus::LinearGradientBrush>
three_stop_brush(Gdiplus::PointF from, Gdiplus::PointF to, const GradientStop (&stops)[3]);

// A filled ellipse in the box (dots, particles).
void fill_ellipse(Gdiplus::Graphics& g, const Gdiplus::RectF& box, Argb colour);

} // namespace kvr::ui
