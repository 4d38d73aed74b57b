// The function written into the game's `rand` import slots. It keys each call by its return
// address relative to the executable base, so every call instruction in the game is a site.
#pragma once
#include <cstdint>

namespace kvr {

// Where caller keys are measured from; set before any slot points at the replacement.
void set_caller_base(uintptr_t exe_base);

// Same signature as the C runtime's `rand`; serves the process's streams.
int replacement_rand();

inline uintptr_t replacement_rand_address() {
    return reinterpret_cast<uintptr_t>(&replacement_rand);
}

} // namespace kvr
