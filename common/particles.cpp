#include "common/particles.h"

#include <algorithm>

namespace kvr {

void step_particles(std::vector<Particle>& particles, float dt, float gravity) {
    for (Particle& p : particles) {
        p.x += p.vx * dt;
        p.y += p.vy * dt;
        p.vy += gravity;
        p.life -= dt;
    }
    std::erase_if(particles, [](const Particle& p) { return p.life <= 0; });
}

int particle_alpha(const Particle& p) {
    if (!(p.full_life > 0) || !(p.life > 0)) return 0;
    return std::clamp(static_cast<int>(p.life / p.full_life * 235.0f), 0, 235);
}

uint8_t clamp_channel(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

} // namespace kvr
