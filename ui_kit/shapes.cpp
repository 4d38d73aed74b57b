#include "ui_kit/shapes.h"

#include <algorithm>

namespace kvr::ui {

using Gdiplus::Color;
using Gdiplus::PointF;
using Gdiplus::RectF;

void rounded_rect_path(Gdiplus::GraphicsPath& path, const RectF& r, float radius) {
    radius = std::clamp(radius, 0.0f, std::min(r.Width, r.Height) / 2);
    if (radius <= 0) {
        path.AddRectangle(r);
        return;
    }
    const float d = radius * 2;
    path.AddArc(r.X, r.Y, d, d, 180, 90);
    path.AddArc(r.X + r.Width - d, r.Y, d, d, 270, 90);
    path.AddArc(r.X + r.Width - d, r.Y + r.Height - d, d, d, 0, 90);
    path.AddArc(r.X, r.Y + r.Height - d, d, d, 90, 90);
    path.CloseFigure();
}

void fill_rounded_rect(Gdiplus::Graphics& g, const RectF& rect, float radius, Argb fill,
                       Argb border, float border_width) {
    Gdiplus::GraphicsPath path;
    rounded_rect_path(path, rect, radius);
    Gdiplus::SolidBrush brush{Color(fill)};
    g.FillPath(&brush, &path);
    if (border_width > 0) {
        Gdiplus::Pen pen(Color(border), border_width);
        g.DrawPath(&pen, &path);
    }
}

void stroke_rounded_rect(Gdiplus::Graphics& g, const RectF& rect, float radius, Argb colour,
                         float width) {
    Gdiplus::GraphicsPath path;
    rounded_rect_path(path, rect, radius);
    Gdiplus::Pen pen(Color(colour), width);
    g.DrawPath(&pen, &path);
}

void draw_card_frame(Gdiplus::Graphics& g, int width, int height, const CardFrame& frame) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    Gdiplus::GraphicsPath panel;
    rounded_rect_path(panel, RectF(0, 0, w, h), frame.radius);
    auto fill = linear_brush(PointF(0, 0), PointF(0, h), frame.top, frame.bottom);
    g.FillPath(fill.get(), &panel);
    Gdiplus::Pen border(Color(frame.border), 1.2f);
    g.DrawPath(&border, &panel);
    if (frame.bar_height > 0) {
        auto bar = linear_brush(PointF(0, 0), PointF(w, 0), kAccentGold, kAccentPale);
        g.FillRectangle(bar.get(),
                        RectF(frame.bar_margin, 0, w - 2 * frame.bar_margin, frame.bar_height));
    }
}

std::unique_ptr<Gdiplus::LinearGradientBrush> linear_brush(PointF from, PointF to, Argb a, Argb b) {
    auto brush = std::make_unique<Gdiplus::LinearGradientBrush>(from, to, Color(a), Color(b));
    brush->SetWrapMode(Gdiplus::WrapModeTile);
    return brush;
}

std::unique_ptr<Gdiplus::LinearGradientBrush> three_stop_brush(PointF from, PointF to,
                                                               const GradientStop (&stops)[3]) {
    auto brush = linear_brush(from, to, stops[0].colour, stops[2].colour);
    Color colours[3];
    Gdiplus::REAL positions[3];
    for (int i = 0; i < 3; ++i) {
        colours[i] = Color(stops[i].colour);
        positions[i] = stops[i].position;
    }
    brush->SetInterpolationColors(colours, positions, 3);
    return brush;
}

void fill_ellipse(Gdiplus::Graphics& g, const RectF& box, Argb colour) {
    Gdiplus::SolidBrush brush{Color(colour)};
    g.FillEllipse(&brush, box);
}

} // namespace kvr::ui
