#include "chooser/chooser_paint.h"

#include "ui_kit/card_text.h"
#include "ui_kit/data_files.h"
#include "ui_kit/shapes.h"

using Gdiplus::RectF;
using kvr::ui::Align;
using kvr::ui::Argb;
using kvr::ui::with_alpha;

namespace {

constexpr Argb kInk = 0xFF3A2C1C;
constexpr Argb kMuted = 0xFF8C7860;
constexpr Argb kRingGold = 0xE2A83C;

RectF to_rect(const ChooserRect& r) {
    return RectF(r.x, r.y, r.w, r.h);
}

struct ChooserFonts {
    std::unique_ptr<Gdiplus::Font> title = kvr::ui::make_font(24, true);
    std::unique_ptr<Gdiplus::Font> subtitle = kvr::ui::make_font(12.5f, false);
    std::unique_ptr<Gdiplus::Font> label = kvr::ui::make_font(26, true);
    std::unique_ptr<Gdiplus::Font> badge = kvr::ui::make_font(12, false);
    std::unique_ptr<Gdiplus::Font> button = kvr::ui::make_font(20, true);
};

void draw_panel(Gdiplus::Graphics& g, float w, int i, const ChooserState& s,
                const ChooserFonts& f) {
    const bool selected = i == s.selected;
    const bool hovered = i == s.hover && !selected;
    RectF r = to_rect(panel_rect(i, w));
    if (hovered) r.Y -= 2; // a hovered panel lifts a little
    if (selected)
        kvr::ui::fill_rounded_rect(g, r, 14, 0xF6FBE0A4, 0xFFCE923A, 2.2f);
    else
        kvr::ui::fill_rounded_rect(g, r, 14, hovered ? 0xE1F6ECD4 : 0xBEF1E6CC, 0x96CAB28E, 1);

    if (selected && s.pulse > 0) {
        const float j = ring_grow(s.pulse);
        kvr::ui::stroke_rounded_rect(g, RectF(r.X - j, r.Y - j, r.Width + 2 * j, r.Height + 2 * j),
                                     16, with_alpha(ring_alpha(s.pulse), kRingGold), 2.5f);
    }
    kvr::ui::draw_text(g, kvr::ui::utf8_to_wide(kChoices[i].label), *f.label,
                       RectF(64, r.Y, 200, 86), kInk, Align::start, Align::centre);

    const RectF badge(w - 166, r.Y + 28, 104, 30);
    if (selected) {
        kvr::ui::fill_rounded_rect(g, badge, 15, 0xFAF6BA68,
                                   with_alpha(badge_border_alpha(s.clock), kRingGold), 1.4f);
        kvr::ui::draw_text(g, L"已选择", *f.badge, badge, 0xFF4A3416, Align::centre, Align::centre);
    } else {
        kvr::ui::fill_rounded_rect(g, badge, 15, 0x3CF0E4C8, 0x78CDB491, 1);
        kvr::ui::draw_text(g, L"点击选择", *f.badge, badge, kMuted, Align::centre, Align::centre);
    }
}

} // namespace

void paint_chooser_card(Gdiplus::Graphics& g, int width, int height, const ChooserState& s,
                        bool confirm_hot) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    const ChooserFonts f;
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kChooserFrame);
    kvr::ui::draw_text(g, L"选择本周挑战难度", *f.title, RectF(34, 30, w - 68, 36), kInk,
                       Align::start);
    kvr::ui::draw_text(g, L"选好后请在游戏内选择相同难度", *f.subtitle, RectF(34, 70, w - 68, 22),
                       kMuted, Align::start);
    for (int i = 0; i < 3; ++i)
        draw_panel(g, w, i, s, f);

    const RectF button = to_rect(confirm_rect(w, h));
    kvr::ui::fill_rounded_rect(g, button, 14, confirm_hot ? 0xFCF8BA68 : 0xF8F4AE58, 0xFFCE923A,
                               1.8f);
    kvr::ui::draw_text(g, L"进入游戏", *f.button, button, 0xFF3E2E18, Align::centre, Align::centre);

    for (const kvr::Particle& p : s.particles) {
        const Argb rgb = (Argb{p.r} << 16) | (Argb{p.g} << 8) | p.b;
        kvr::ui::fill_ellipse(g, RectF(p.x - p.size / 2, p.y - p.size / 2, p.size, p.size),
                              with_alpha(kvr::particle_alpha(p), rgb));
    }
}
