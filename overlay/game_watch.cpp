#include "overlay/game_watch.h"

bool game_watch_pass(GameWatch& w, uint64_t ms_since_start,
                     const std::function<bool()>& game_running) {
    if (++w.passes % 8 != 0) return false;
    if (game_running()) {
        w.seen = true;
        return false;
    }
    return w.seen || ms_since_start > kGameWaitMs;
}
