#include "chooser/chooser_paint.h"

#include "ui_kit/card_text.h"
#include "ui_kit/data_files.h"
#include "ui_kit/frame_render.h"
#include "ui_kit/shapes.h"

#include <cmath>

using Gdiplus::RectF;
using kvr::PixelFrame;
using kvr::scaled;
using kvr::ui::Align;
using kvr::ui::Argb;
using kvr::ui::with_alpha;

namespace {

constexpr Argb kInk = 0xFF3A2C1C;
constexpr Argb kMuted = 0xFF8C7860;

// A hovered panel that is not selected lifts by 2 px.
kvr::RoundedBox panel_box(const ChooserState& s, int i, float width) {
    const ChooserRect r = panel_rect(i, width);
    const float lift = i == s.hover && i != s.selected ? 2.0f : 0.0f;
    return {r.x, r.y - lift, r.w, r.h, 14};
}

kvr::RoundedBox badge_box(const kvr::RoundedBox& panel, float width) {
    return {width - 166, panel.y + 28, 104, 30, 15};
}

void draw_base(Gdiplus::Graphics& g, int width, int height) {
    const auto w = static_cast<float>(width);
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kChooserFrame);
    kvr::ui::draw_text(g, L"选择本周挑战难度", *kvr::ui::make_font(24, true),
                       RectF(34, 30, w - 68, 36), kInk, Align::start);
    kvr::ui::draw_text(g, L"选好后请在游戏内选择相同难度", *kvr::ui::make_font(12.5f, false),
                       RectF(34, 70, w - 68, 22), kMuted, Align::start);
}

// Panel, badge and button shapes, filled in memory; their texts come next with GDI+.
void fill_shapes(PixelFrame& out, const ChooserState& s, bool hot, float w, float h, float k) {
    const kvr::PixelRect all = out.bounds();
    for (int i = 0; i < 3; ++i) {
        const kvr::RoundedBox panel = panel_box(s, i, w);
        if (i == s.selected)
            kvr::fill_rounded(out, scaled(panel, k), 0xF6FBE0A4, 0xFFCE923A, 2.2f * k, all);
        else
            kvr::fill_rounded(out, scaled(panel, k), i == s.hover ? 0xE1F6ECD4 : 0xBEF1E6CC,
                              0x96CAB28E, k, all);
        // The selected badge's border breathes and is drawn with every frame.
        if (i == s.selected)
            kvr::fill_rounded(out, scaled(badge_box(panel, w), k), 0xFAF6BA68, 0, 0, all);
        else
            kvr::fill_rounded(out, scaled(badge_box(panel, w), k), 0x3CF0E4C8, 0x78CDB491, k, all);
    }
    const ChooserRect b = confirm_rect(w, h);
    kvr::fill_rounded(out, scaled({b.x, b.y, b.w, b.h, 14}, k), hot ? 0xFCF8BA68 : 0xF8F4AE58,
                      0xFFCE923A, 1.8f * k, all);
}

void draw_texts(Gdiplus::Graphics& g, const ChooserState& s, float w, float h) {
    const auto label = kvr::ui::make_font(26, true);
    const auto badge = kvr::ui::make_font(12, false);
    for (int i = 0; i < 3; ++i) {
        const kvr::RoundedBox panel = panel_box(s, i, w);
        kvr::ui::draw_text(g, kvr::ui::utf8_to_wide(kChoices[i].label), *label,
                           RectF(64, panel.y, 200, 86), kInk, Align::start, Align::centre);
        const kvr::RoundedBox b = badge_box(panel, w);
        const bool on = i == s.selected;
        kvr::ui::draw_text(g, on ? L"已选择" : L"点击选择", *badge, RectF(b.x, b.y, b.w, b.h),
                           on ? 0xFF4A3416 : kMuted, Align::centre, Align::centre);
    }
    const ChooserRect b = confirm_rect(w, h);
    kvr::ui::draw_text(g, L"进入游戏", *kvr::ui::make_font(20, true), RectF(b.x, b.y, b.w, b.h),
                       0xFF3E2E18, Align::centre, Align::centre);
}

} // namespace

const PixelFrame& compose_chooser(ChooserPainter& p, const ChooserState& s, bool confirm_hot,
                                  int width, int height, float k) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    if (p.scale != k || p.base.px.empty()) {
        p = ChooserPainter{};
        p.scale = k;
        p.base =
            PixelFrame(static_cast<int>(std::lround(w * k)), static_cast<int>(std::lround(h * k)));
        kvr::ui::draw_into(
            p.base, [&](Gdiplus::Graphics& g) { draw_base(g, width, height); },
            kvr::ui::TextOn::card, k);
    }
    const std::string key = std::to_string(s.selected) + '/' + std::to_string(s.hover) + '/' +
                            (confirm_hot ? "hot" : "");
    if (key != p.card_key || p.card.px.empty()) {
        p.card = p.base;
        fill_shapes(p.card, s, confirm_hot, w, h, k);
        kvr::ui::draw_into(
            p.card, [&](Gdiplus::Graphics& g) { draw_texts(g, s, w, h); }, kvr::ui::TextOn::card,
            k);
        p.card_key = key;
    }
    p.frame = p.card;
    const kvr::PixelRect all = p.frame.bounds();
    const kvr::RoundedBox selected = panel_box(s, s.selected, w);
    kvr::fill_rounded(p.frame, scaled(badge_box(selected, w), k), 0,
                      with_alpha(badge_border_alpha(s.clock), kvr::ui::kRingGold), 1.4f * k, all);
    if (s.pulse > 0) {
        // A ring that widens and fades around the panel just chosen.
        const float j = ring_grow(s.pulse);
        kvr::fill_rounded(
            p.frame,
            scaled({selected.x - j, selected.y - j, selected.w + 2 * j, selected.h + 2 * j, 16}, k),
            0, with_alpha(ring_alpha(s.pulse), kvr::ui::kRingGold), 2.5f * k, all);
    }
    for (const kvr::Particle& q : s.particles)
        kvr::fill_circle(
            p.frame, q.x * k, q.y * k, q.size * k,
            with_alpha(kvr::particle_alpha(q), (Argb{q.r} << 16) | (Argb{q.g} << 8) | q.b));
    return p.frame;
}
