// When the overlay ends by itself. The worker looks for the game on every eighth pass (about once
// a second at 120 ms a pass): the overlay ends once the game has been seen and is gone again, or
// when the game has not appeared within five minutes of start-up.
#pragma once
#include <cstdint>
#include <functional>

inline constexpr uint64_t kGameWaitMs = 300000;

struct GameWatch {
    uint64_t passes = 0;
    bool seen = false;
};

// One worker pass; `game_running` is asked only on the passes that look. True: end the overlay.
bool game_watch_pass(GameWatch& w, uint64_t ms_since_start,
                     const std::function<bool()>& game_running);
