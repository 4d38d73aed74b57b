// The Lua functions through which the race script steers the generator:
//   SetRandSeed(seed)       seed (low 32 bits); every stream restarts at its next call
//   SetRandWindow(bool)     open or close the deterministic window
//   SetRandEnabled(bool)    switch the generator on or off
//   GetRandState()          -> seed
//   GetRandDebug()          -> total calls, total served, hooked slots, listed sites
//   GetRandCaller(i)        -> key, calls, served of the i-th listed site (from 0), or 0, 0, 0
// An argument of the wrong type (or none) is a Lua error naming the function; nothing changes.
#pragma once
#include <LuaMadeSimple/LuaMadeSimple.hpp>

namespace kvr {

// Registers the six functions, in the order above, into one state.
void register_rand_functions(RC::LuaMadeSimple::Lua& lua);

} // namespace kvr
