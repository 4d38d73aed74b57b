#include "common/pixel_frame.h"

#include <algorithm>
#include <cmath>

namespace kvr {

namespace {

inline uint32_t channel(uint32_t c, int shift) {
    return (c >> shift) & 0xFF;
}

inline uint32_t mul255(uint32_t a, uint32_t b) {
    const uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Premultiplied `src` over the pixel.
inline void over(uint32_t& d, uint32_t s) {
    const uint32_t sa = s >> 24;
    if (sa == 0) return;
    if (sa == 255) {
        d = s;
        return;
    }
    const uint32_t k = 255 - sa;
    const uint32_t rb = ((d & 0x00FF00FF) * k + 0x00800080);
    const uint32_t ag = (((d >> 8) & 0x00FF00FF) * k + 0x00800080);
    const uint32_t rb2 = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    const uint32_t ag2 = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
    d = s + (rb2 | ag2);
}

// A straight-alpha colour at coverage 0..1, premultiplied.
inline uint32_t covered(uint32_t argb, float coverage) {
    const auto a = static_cast<uint32_t>(std::lround(channel(argb, 24) * coverage));
    return (a << 24) | (mul255(channel(argb, 16), a) << 16) | (mul255(channel(argb, 8), a) << 8) |
           mul255(channel(argb, 0), a);
}

PixelRect intersect(PixelRect a, PixelRect b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

PixelRect around(float x, float y, float w, float h, float pad) {
    const int x0 = static_cast<int>(std::floor(x - pad));
    const int y0 = static_cast<int>(std::floor(y - pad));
    const int x1 = static_cast<int>(std::ceil(x + w + pad));
    const int y1 = static_cast<int>(std::ceil(y + h + pad));
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace

uint32_t premultiply(uint32_t argb) {
    return covered(argb, 1.0f);
}

uint32_t unpremultiply(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 0) return 0;
    auto un = [&](int shift) { return std::min(255u, (channel(p, shift) * 255 + a / 2) / a); };
    return (a << 24) | (un(16) << 16) | (un(8) << 8) | un(0);
}

void blend_layer(PixelFrame& dst, const PixelFrame& src, int dx, int dy, PixelRect clip,
                 int opacity) {
    const PixelRect r = intersect(intersect(clip, dst.bounds()), {dx, dy, src.width, src.height});
    if (r.w <= 0 || r.h <= 0 || opacity <= 0) return;
    const auto k = static_cast<uint32_t>(std::min(opacity, 255));
    for (int y = r.y; y < r.y + r.h; ++y) {
        uint32_t* d = dst.row(y) + r.x;
        const uint32_t* s = src.row(y - dy) + (r.x - dx);
        for (int i = 0; i < r.w; ++i) {
            uint32_t p = s[i];
            if (k != 255 && p) {
                p = (mul255(p >> 24, k) << 24) | (mul255(channel(p, 16), k) << 16) |
                    (mul255(channel(p, 8), k) << 8) | mul255(channel(p, 0), k);
            }
            over(d[i], p);
        }
    }
}

void fill_circle(PixelFrame& dst, float cx, float cy, float diameter, uint32_t argb) {
    const float radius = diameter / 2;
    if (radius <= 0 || (argb >> 24) == 0) return;
    const PixelRect r =
        intersect(around(cx - radius, cy - radius, diameter, diameter, 1), dst.bounds());
    for (int y = r.y; y < r.y + r.h; ++y) {
        uint32_t* d = dst.row(y);
        for (int x = r.x; x < r.x + r.w; ++x) {
            const float dist =
                std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            const float c = std::clamp(radius + 0.5f - dist, 0.0f, 1.0f);
            if (c > 0) over(d[x], covered(argb, c));
        }
    }
}

float rounded_box_distance(const RoundedBox& b, float px, float py) {
    const float r = std::clamp(b.radius, 0.0f, std::min(b.w, b.h) / 2);
    const float hx = b.w / 2 - r, hy = b.h / 2 - r;
    const float qx = std::fabs(px - (b.x + b.w / 2)) - hx;
    const float qy = std::fabs(py - (b.y + b.h / 2)) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

void fill_rounded(PixelFrame& dst, const RoundedBox& box, uint32_t fill, uint32_t border,
                  float border_width, PixelRect clip) {
    const float half = border_width > 0 ? border_width / 2 : 0;
    const PixelRect r =
        intersect(intersect(around(box.x, box.y, box.w, box.h, half + 1), dst.bounds()), clip);
    const bool has_fill = (fill >> 24) != 0;
    const bool has_border = half > 0 && (border >> 24) != 0;
    for (int y = r.y; y < r.y + r.h; ++y) {
        uint32_t* d = dst.row(y);
        for (int x = r.x; x < r.x + r.w; ++x) {
            const float dist = rounded_box_distance(box, static_cast<float>(x) + 0.5f,
                                                    static_cast<float>(y) + 0.5f);
            if (has_fill) {
                const float c = std::clamp(0.5f - dist, 0.0f, 1.0f);
                if (c > 0) over(d[x], covered(fill, c));
            }
            if (has_border) {
                const float c = std::clamp(half + 0.5f - std::fabs(dist), 0.0f, 1.0f);
                if (c > 0) over(d[x], covered(border, c));
            }
        }
    }
}

void fill_sweep(PixelFrame& dst, float centre, float half_width, PixelRect area, uint32_t argb) {
    if (half_width <= 0 || (argb >> 24) == 0) return;
    const PixelRect r = intersect(intersect(area, dst.bounds()),
                                  around(centre - half_width, static_cast<float>(area.y),
                                         2 * half_width, static_cast<float>(area.h), 0));
    if (r.w <= 0 || r.h <= 0) return;
    // One premultiplied colour per column, then the same column all the way down.
    std::vector<uint32_t> column(static_cast<size_t>(r.w));
    for (int i = 0; i < r.w; ++i) {
        const float x = static_cast<float>(r.x + i) + 0.5f;
        const float t = 1 - std::fabs(x - centre) / half_width;
        column[static_cast<size_t>(i)] = t > 0 ? covered(argb, t) : 0;
    }
    for (int y = r.y; y < r.y + r.h; ++y) {
        uint32_t* d = dst.row(y) + r.x;
        for (int i = 0; i < r.w; ++i)
            over(d[i], column[static_cast<size_t>(i)]);
    }
}

RoundedBox scaled(const RoundedBox& b, float s) {
    return {b.x * s, b.y * s, b.w * s, b.h * s, b.radius * s};
}

PixelRect scaled_rect(float x, float y, float w, float h, float s) {
    const int x0 = static_cast<int>(std::lround(x * s));
    const int y0 = static_cast<int>(std::lround(y * s));
    return {x0, y0, static_cast<int>(std::lround((x + w) * s)) - x0,
            static_cast<int>(std::lround((y + h) * s)) - y0};
}

} // namespace kvr
