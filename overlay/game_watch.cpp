#include "overlay/game_watch.h"

bool game_watch_due(GameWatch& w, uint64_t ms_since_start,
                    const std::function<bool()>& game_running) {
    if (ms_since_start < w.next_check_ms) return false;
    w.next_check_ms = ms_since_start + kGameCheckEveryMs;
    if (game_running()) {
        w.seen = true;
        return false;
    }
    return w.seen || ms_since_start > kGameWaitMs;
}

uint64_t ms_until_check(const GameWatch& w, uint64_t ms_since_start) {
    return ms_since_start < w.next_check_ms ? w.next_check_ms - ms_since_start : 0;
}
