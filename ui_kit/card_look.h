// The common look of every card: warm gradient panel, thin border, golden accent bar on top.
// Colours are 32-bit ARGB, alpha in the top byte.
#pragma once
#include <cstdint>

namespace kvr::ui {

using Argb = std::uint32_t;

// The accent bar runs from golden on the left to pale gold on the right.
inline constexpr Argb kAccentGold = 0xFFD69646;
inline constexpr Argb kAccentPale = 0xFFF0CD96;
// Text on the cards: dark ink for headlines and numbers, amber for labels that stand out.
inline constexpr Argb kCardInk = 0xFF3C2E1E;
inline constexpr Argb kCardAmber = 0xFFAC7026;
// The highlight ring around a selected row or choice (colour only; alpha comes with the pulse).
inline constexpr Argb kRingGold = 0xE2A83C;

struct CardFrame {
    float radius;
    Argb top;
    Argb bottom;
    Argb border;
    float bar_margin; // the bar spans the card width less this on each side
    float bar_height; // 0: the card draws its own bar
};

inline constexpr CardFrame kTimerFrame{15, 0xFAFCF2E8, 0xF2F2DFCD, 0xC8BE9B7D, 16, 4};
inline constexpr CardFrame kNoticeFrame{14, 0xFAFCF2EC, 0xF2F2DFD2, 0xC8BE9B7D, 24, 4};
inline constexpr CardFrame kBoardFrame{16, 0xFCFCF2E6, 0xF3F3E0CA, 0xC8BE9B7D, 0, 0};
inline constexpr CardFrame kStartFrame{18, 0xFCFCF3EC, 0xF3F1DDD0, 0xD2BE9B7D, 30, 5};
inline constexpr CardFrame kChooserFrame{17, 0xFCFCF3EC, 0xF1F1DDD0, 0xC8BE9B7D, 30, 5};
inline constexpr CardFrame kResultFrame = kStartFrame;

// A 24-bit colour with an alpha computed at paint time (pulses, fading particles); the alpha
// is clamped to 0..255 so an overshooting animation never wraps around to opaque.
constexpr Argb with_alpha(int alpha, Argb rgb) {
    if (alpha < 0) alpha = 0;
    if (alpha > 255) alpha = 255;
    return (static_cast<Argb>(alpha) << 24) | (rgb & 0x00FFFFFFu);
}

} // namespace kvr::ui
