// The difficulty chooser card: three choice panels and a confirm button. The window draws this
// model and forwards keys, the mouse and its 16 ms tick to it.
//
// choice.txt holds exactly "easy", "normal" or "nightmare", without a line end.
#pragma once
#include "common/particles.h"
#include "common/race_names.h"

#include <array>
#include <vector>

struct Choice {
    const char* label; // shown on the panel
    const char* name;  // written to choice.txt
};
inline constexpr std::array<Choice, 3> kChoices{
    {{"简单", kvr::race::kEasy}, {"普通", kvr::race::kNormal}, {"噩梦", kvr::race::kNightmare}}};

struct ChooserState {
    int selected = 1; // "normal" until the player picks another
    int hover = -1;
    double clock = 0; // seconds; drives the badge's breathing border
    float pulse = 0;  // 1 when a choice is made, falling to 0; drives the ring
    bool confirmed = false;
    std::vector<kvr::Particle> particles;
};

struct ChooserRect {
    float x = 0, y = 0, w = 0, h = 0;
};

// Hit areas in client pixels (left and top edges inside, right and bottom outside).
ChooserRect panel_rect(int index, float width);
ChooserRect confirm_rect(float width, float height);
int panel_at(float width, float height, float x, float y); // 0..2 or -1
bool on_confirm(float width, float height, float x, float y);

enum class ChooserAction { None, Repaint, RepaintErase, Confirm, Close };

// Virtual-key codes as Windows numbers them, so the model needs no Windows header.
inline constexpr int kKeyEnter = 0x0D;
inline constexpr int kKeyEscape = 0x1B;

ChooserAction chooser_key(ChooserState& s, int key);
// Returns Repaint only when the hover index changed.
ChooserAction chooser_mouse_move(ChooserState& s, float width, float height, float x, float y);
ChooserAction chooser_click(ChooserState& s, float width, float height, float x, float y,
                            const kvr::RandomInt& rnd);
void chooser_tick(ChooserState& s);

// 46 warm sparks thrown from a click on a panel.
void spawn_choice_sparks(std::vector<kvr::Particle>& out, float x, float y,
                         const kvr::RandomInt& rnd);

// The selected badge's border alpha, breathing between about 44 and 220.
int badge_border_alpha(double clock);
// The ring around the selected panel: how far it has grown (0..18 px) and its alpha.
float ring_grow(float pulse);
int ring_alpha(float pulse);
