// Sparks the cards throw on clicks and let rise above the board. Each window spawns its own
// kinds; the motion is the same everywhere: straight steps with a downward pull, and a particle
// is gone once its life has run out.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace kvr {

struct Particle {
    float x = 0, y = 0;            // centre, client pixels
    float vx = 0, vy = 0;          // pixels per second
    float life = 0, full_life = 0; // seconds left, seconds at birth
    float size = 0;                // diameter in pixels
    uint8_t r = 0, g = 0, b = 0;
};

// One non-negative random integer per call; the windows pass the C runtime's rand, tests a
// fixed sequence.
using RandomInt = std::function<int()>;

// One step of `dt` seconds: move with the velocity from before the step, then add `gravity` to
// vy and take `dt` off the life. Particles whose life is 0 or less are removed; the others keep
// their order (later ones are drawn on top).
void step_particles(std::vector<Particle>& particles, float dt, float gravity);

// Opacity 0..235: full at birth, fading linearly with the life left.
int particle_alpha(const Particle& p);

// A colour component moved by `delta`, kept inside 0..255.
uint8_t clamp_channel(int value);

} // namespace kvr
