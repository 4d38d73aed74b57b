// Pixel checks on rendered cards, shared by the card programs' Windows tests. Renders are saved
// as PNG under the build tree (renders/) so a person can look at them.
#pragma once
#include "common/win32/wide.h"
#include "ui_kit/paint_buffered.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace render_check {

struct Rgba {
    int a, r, g, b;
    int luma() const { return (r * 299 + g * 587 + b * 114) / 1000; }
};

inline Rgba pixel(Gdiplus::Bitmap& bmp, int x, int y) {
    Gdiplus::Color c;
    bmp.GetPixel(x, y, &c);
    return {c.GetA(), c.GetR(), c.GetG(), c.GetB()};
}

// A Linux path from KVR_WIN_BUILD as Wine's Z: drive sees it.
inline std::string build_dir() {
    const char* build = std::getenv("KVR_WIN_BUILD");
    if (!build || !*build) return ".";
    std::string p = build;
    if (p[0] == '/') {
        for (char& c : p)
            if (c == '/') c = '\\';
        p = "Z:" + p;
    }
    return p;
}

// Saves the render as <build>\renders\<name>.png; returns the path.
inline std::string save(Gdiplus::Bitmap& bmp, const std::string& name) {
    const std::wstring dir = kvr::utf8_to_wide(build_dir() + "\\renders");
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::string path = build_dir() + "\\renders\\" + name + ".png";
    kvr::ui::save_png(bmp, path);
    return path;
}

// Text pixels inside a rectangle: pixels whose brightness differs from the card's own
// background on the same row (sampled at x = bg_x, where nothing but the panel is drawn) by more
// than `contrast`. Faint footer texts need a lower contrast than body texts.
inline int ink(Gdiplus::Bitmap& bmp, int x, int y, int w, int h, int bg_x = 6, int contrast = 60) {
    int count = 0;
    for (int row = y; row < y + h; ++row) {
        const int bg = pixel(bmp, bg_x, row).luma();
        for (int col = x; col < x + w; ++col)
            if (std::abs(pixel(bmp, col, row).luma() - bg) > contrast) ++count;
    }
    return count;
}

inline int faint_ink(Gdiplus::Bitmap& bmp, int x, int y, int w, int h) {
    return ink(bmp, x, y, w, h, 6, 25);
}

// Leftmost and rightmost column holding ink in the rectangle (-1, -1 when none).
inline std::pair<int, int> ink_span(Gdiplus::Bitmap& bmp, int x, int y, int w, int h, int bg_x = 6,
                                    int contrast = 60) {
    int first = -1, last = -1;
    for (int col = x; col < x + w; ++col) {
        if (ink(bmp, col, y, 1, h, bg_x, contrast) > 0) {
            if (first < 0) first = col;
            last = col;
        }
    }
    return {first, last};
}

// The contrast ratio of two colours as legibility guidelines define it: (L1 + 0.05) / (L2 + 0.05)
// with L the relative luminance of the sRGB colour; 1 for equal colours, 21 for black on white.
inline double contrast_ratio(const Rgba& a, const Rgba& b) {
    auto luminance = [](const Rgba& p) {
        auto linear = [](int c) {
            const double v = c / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(p.r) + 0.7152 * linear(p.g) + 0.0722 * linear(p.b);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How far the text in a rectangle stands out from the card: the contrast of its most distinct
// pixel (the solid core of the strokes) against the card's own colour on that row, sampled at
// x = bg_x where nothing but the card is drawn.
inline double text_contrast(Gdiplus::Bitmap& bmp, int x, int y, int w, int h, int bg_x = 6) {
    double best = 1;
    for (int row = y; row < y + h; ++row) {
        const Rgba bg = pixel(bmp, bg_x, row);
        for (int col = x; col < x + w; ++col)
            best = std::max(best, contrast_ratio(pixel(bmp, col, row), bg));
    }
    return best;
}

// A card drawn for a 150 % display (144 DPI) is the same card one and a half times larger, not
// a stretched copy: a line of text found at 100 % in (x, y, w, h) lies at 1.5 times its place
// at 150 %, anchored where it was (its start for left-aligned text, its middle for centred
// text) and about 1.5 times as wide (glyphs hinted at another size differ a little in width).
inline void expect_scaled_line(Gdiplus::Bitmap& at_100, Gdiplus::Bitmap& at_150, int x, int y,
                               int w, int h, int bg_x = 6) {
    const auto [first, last] = ink_span(at_100, x, y, w, h, bg_x);
    ASSERT_GE(first, 0) << "no ink at 100 % in " << x << "," << y;
    const auto [first_150, last_150] =
        ink_span(at_150, x * 3 / 2, y * 3 / 2, w * 3 / 2, h * 3 / 2, bg_x * 3 / 2);
    const double width = (last - first) * 1.5;
    EXPECT_NEAR(last_150 - first_150, width, 4 + 0.12 * width) << "line at " << x << "," << y;
    const bool start_kept = std::abs(first_150 - first * 1.5) <= 4;
    const bool middle_kept = std::abs((first_150 + last_150) / 2.0 - (first + last) * 0.75) <= 4;
    EXPECT_TRUE(start_kept || middle_kept)
        << "line at " << x << "," << y << " moved: " << first << ".." << last << " became "
        << first_150 << ".." << last_150;
}

// The golden accent bar: opaque, warm, red above green above blue.
inline bool is_accent_gold(const Rgba& p) {
    return p.a == 255 && p.r >= 0xD0 && p.g >= 0x90 && p.g <= 0xD0 && p.b >= 0x40 && p.b <= 0x9A &&
           p.r > p.g && p.g > p.b;
}

inline bool corners_transparent(Gdiplus::Bitmap& bmp) {
    const int w = static_cast<int>(bmp.GetWidth()), h = static_cast<int>(bmp.GetHeight());
    return pixel(bmp, 0, 0).a == 0 && pixel(bmp, w - 1, 0).a == 0 && pixel(bmp, 0, h - 1).a == 0 &&
           pixel(bmp, w - 1, h - 1).a == 0;
}

} // namespace render_check
