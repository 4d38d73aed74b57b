#include "ui_kit/animation_steps.h"

namespace kvr::ui {

int animation_steps_due(AnimationSteps& a, std::uint64_t now_ms, int max_steps) {
    if (!a.started || now_ms < a.origin_ms) {
        a = {true, now_ms, 0};
    }
    const std::uint64_t due = (now_ms - a.origin_ms) / kAnimationStepMs + 1;
    if (due <= a.done) return 0;
    const std::uint64_t behind = due - a.done;
    a.done = due;
    return behind > static_cast<std::uint64_t>(max_steps) ? max_steps : static_cast<int>(behind);
}

} // namespace kvr::ui
