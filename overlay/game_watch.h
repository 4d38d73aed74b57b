// When the overlay ends by itself. The game is looked for about once a second: the overlay
// ends once the game has been seen and is gone again, or when the game has not appeared within
// five minutes of start-up.
#pragma once
#include <cstdint>
#include <functional>

inline constexpr uint64_t kGameWaitMs = 300000;
// Eight passes of the 120 ms file poll.
inline constexpr uint64_t kGameCheckEveryMs = 960;

struct GameWatch {
    uint64_t next_check_ms = kGameCheckEveryMs;
    bool seen = false;
};

// Called whenever the worker wakes; `game_running` is asked only when a check is due (then the
// next one is a second later). True: end the overlay.
bool game_watch_due(GameWatch& w, uint64_t ms_since_start,
                    const std::function<bool()>& game_running);

// How long the worker may sleep before the next check is due.
uint64_t ms_until_check(const GameWatch& w, uint64_t ms_since_start);
