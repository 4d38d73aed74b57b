// The hook on the running game: finds the executable's `rand` imports and patches them with
// VirtualProtect, logging through the loader's default output devices.
#pragma once

namespace kvr {

void install_rand_hook();
void remove_rand_hook();

} // namespace kvr
