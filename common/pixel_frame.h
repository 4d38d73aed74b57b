// Frames composed in memory: 32-bit premultiplied ARGB pixels, rows from the top.
//
// Wine's GDI+ needs 10 to 20 ms just to clear or blit a card-sized bitmap, far too slow for a
// 16 ms animation. The animated cards therefore draw what rarely changes (card, tabs, rows,
// panels) once into layers with GDI+, and compose each animation frame here from those layers
// plus the few moving shapes (sparks, sweeps, pulsing bands, rings) in a millisecond or two.
// Shapes are antialiased from their exact outlines, as GDI+ would draw them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvr {

struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct PixelFrame {
    int width = 0, height = 0;
    std::vector<uint32_t> px; // premultiplied ARGB, width * height

    PixelFrame() = default;
    PixelFrame(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h, 0) {}
    uint32_t* row(int y) { return px.data() + static_cast<size_t>(y) * width; }
    const uint32_t* row(int y) const { return px.data() + static_cast<size_t>(y) * width; }
    PixelRect bounds() const { return {0, 0, width, height}; }
};

// Straight-alpha ARGB (as the cards' colours are written) to premultiplied, and back.
uint32_t premultiply(uint32_t argb);
uint32_t unpremultiply(uint32_t pargb);

// `src` over `dst`, with src's top-left corner at (dx, dy) and only inside `clip`; `opacity`
// 0..255 fades the whole layer.
void blend_layer(PixelFrame& dst, const PixelFrame& src, int dx, int dy, PixelRect clip,
                 int opacity = 255);

// A filled circle (diameter in pixels) in a straight-alpha colour.
void fill_circle(PixelFrame& dst, float cx, float cy, float diameter, uint32_t argb);

struct RoundedBox {
    float x, y, w, h, radius;
};
// Fills the rounded rectangle, then strokes its outline centred on the edge (a border width of
// 0 draws none), inside `clip`; colours are straight-alpha.
void fill_rounded(PixelFrame& dst, const RoundedBox& box, uint32_t fill, uint32_t border,
                  float border_width, PixelRect clip);

// A horizontal light band over `area`: transparent at centre ± half_width, `argb` (straight
// alpha) at the centre, the colour and alpha changing linearly in between.
void fill_sweep(PixelFrame& dst, float centre, float half_width, PixelRect area, uint32_t argb);

// Signed distance from a point to the outline of a rounded box (negative inside).
float rounded_box_distance(const RoundedBox& box, float px, float py);

// Cards are laid out in pixels of a 96 DPI display; a frame for a denser display is `scale`
// times larger. A layout box or rectangle in the frame's pixels:
RoundedBox scaled(const RoundedBox& box, float scale);
PixelRect scaled_rect(float x, float y, float w, float h, float scale);

} // namespace kvr
