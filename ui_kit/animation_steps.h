// The cards animate in fixed steps of 16 ms of real time. Windows raises WM_TIMER only on the
// system clock tick (about 15.6 ms unless some program asked for a finer one), so a 16 ms timer
// often fires only every 31 ms; a card counts the steps that are due instead of taking one per
// timer message, and so animates at the same speed whatever the timer resolution.
#pragma once
#include <cstdint>

namespace kvr::ui {

inline constexpr std::uint64_t kAnimationStepMs = 16;

struct AnimationSteps {
    bool started = false;
    std::uint64_t origin_ms = 0;
    std::uint64_t done = 0; // steps taken since origin_ms
};

// How many steps to take at `now_ms` (a millisecond tick): one at the first call, then as many as
// 16 ms periods have passed since. After a stall (a suspended PC, a frozen thread) at most
// `max_steps` are taken at once: the animation jumps ahead rather than replaying what it missed.
int animation_steps_due(AnimationSteps& steps, std::uint64_t now_ms, int max_steps = 8);

} // namespace kvr::ui
