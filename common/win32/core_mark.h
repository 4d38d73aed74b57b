// The mark of a running launcher core: a named mutex in the player's session ("Local\"), held
// by the core that runs a race or "--upload". Windows drops it with the process however that
// ends, so a core that was killed leaves nothing behind.
#pragma once

namespace kvr {

// Takes the mark for this process (held until it exits). False when another core holds it.
// `failed` is set when the mark could not be made at all (the caller then runs unguarded), with
// the system's error code in `error`.
bool take_core_mark(bool& failed, unsigned long& error);

// Whether some process holds the mark: a launcher core is in the middle of a run.
bool core_mark_held();

} // namespace kvr
