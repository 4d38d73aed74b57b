#include "chooser/chooser_model.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTick = 0.016f;
constexpr float kGravity = 2.56f;
constexpr float kPulseFall = 0.0256f;
constexpr float kPi = 3.14159f;
constexpr float kMargin = 34;

bool inside(const ChooserRect& r, float x, float y) {
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

void select(ChooserState& s, int index) {
    s.selected = index;
    s.pulse = 1.0f;
}

} // namespace

ChooserRect panel_rect(int index, float width) {
    return {kMargin, 108.0f + 102.0f * static_cast<float>(index), width - 2 * kMargin, 86};
}

ChooserRect confirm_rect(float width, float height) {
    return {kMargin, height - 92, width - 2 * kMargin, 58};
}

int panel_at(float width, float, float x, float y) {
    for (int i = 0; i < 3; ++i)
        if (inside(panel_rect(i, width), x, y)) return i;
    return -1;
}

bool on_confirm(float width, float height, float x, float y) {
    return inside(confirm_rect(width, height), x, y);
}

ChooserAction chooser_key(ChooserState& s, int key) {
    if (key == kKeyEscape) return ChooserAction::Close;
    if (key == kKeyEnter) return ChooserAction::Confirm;
    if (key >= '1' && key <= '3') {
        select(s, key - '1');
        return ChooserAction::RepaintErase;
    }
    return ChooserAction::None;
}

ChooserAction chooser_mouse_move(ChooserState& s, float width, float height, float x, float y) {
    const int hover = panel_at(width, height, x, y);
    if (hover == s.hover) return ChooserAction::None;
    s.hover = hover;
    return ChooserAction::Repaint;
}

ChooserAction chooser_click(ChooserState& s, float width, float height, float x, float y,
                            const kvr::RandomInt& rnd) {
    const int panel = panel_at(width, height, x, y);
    if (panel >= 0) {
        select(s, panel);
        spawn_choice_sparks(s.particles, x, y, rnd);
        return ChooserAction::RepaintErase;
    }
    return on_confirm(width, height, x, y) ? ChooserAction::Confirm : ChooserAction::None;
}

void chooser_tick(ChooserState& s) {
    s.clock += kTick;
    s.pulse = std::max(0.0f, s.pulse - kPulseFall);
    kvr::step_particles(s.particles, kTick, kGravity);
}

void spawn_choice_sparks(std::vector<kvr::Particle>& out, float x, float y,
                         const kvr::RandomInt& rnd) {
    for (int i = 0; i < 46; ++i) {
        kvr::Particle p;
        p.x = x;
        p.y = y;
        const float angle = static_cast<float>(rnd() % 360) * kPi / 180;
        const float speed = static_cast<float>(rnd() % 150 + 50);
        p.vx = std::cos(angle) * speed;
        p.vy = std::sin(angle) * speed - 30;
        p.life = p.full_life = static_cast<float>(rnd() % 50) / 100 + 0.45f;
        p.size = static_cast<float>(rnd() % 30) / 10 + 3;
        p.r = 255;
        p.g = static_cast<uint8_t>(185 + rnd() % 50);
        p.b = static_cast<uint8_t>(80 + rnd() % 60);
        out.push_back(p);
    }
}

int badge_border_alpha(double clock) {
    return static_cast<int>((0.4 * std::sin(4 * clock) + 0.6) * 220);
}

float ring_grow(float pulse) {
    return (1 - pulse) * 18;
}

int ring_alpha(float pulse) {
    return static_cast<int>(std::clamp(pulse, 0.0f, 1.0f) * 150);
}
