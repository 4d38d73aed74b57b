#include "rand_mod/lua_bindings.h"

#include "rand_mod/import_hook.h"
#include "rand_mod/rand_streams.h"
#include "rand_mod/replacement_rand.h"

namespace kvr {

namespace {

using RC::LuaMadeSimple::Lua;

// The loader hands each function its state as `const Lua&`; whether the accessors are const
// members is up to the loader's headers, so they are called through a non-const view (the
// state object itself is never const).
Lua& state(const Lua& lua) {
    return const_cast<Lua&>(lua);
}

int set_rand_seed_lua(const Lua& lua) {
    set_rand_seed(process_rand_streams(), static_cast<uint32_t>(state(lua).get_integer(1)));
    return 0;
}

int set_rand_window_lua(const Lua& lua) {
    process_rand_streams().window.exchange(state(lua).get_bool(1));
    return 0;
}

int set_rand_enabled_lua(const Lua& lua) {
    process_rand_streams().enabled.exchange(state(lua).get_bool(1));
    return 0;
}

int get_rand_state_lua(const Lua& lua) {
    state(lua).set_integer(rand_seed(process_rand_streams()));
    return 1;
}

int get_rand_debug_lua(const Lua& lua) {
    RandStreams& streams = process_rand_streams();
    state(lua).set_integer(streams.total_calls.load());
    state(lua).set_integer(streams.total_served.load());
    state(lua).set_integer(slots_holding(process_import_hook(), replacement_rand_address()));
    state(lua).set_integer(listed_site_count(streams));
    return 4;
}

int get_rand_caller_lua(const Lua& lua) {
    const SiteCounts site =
        listed_site(process_rand_streams(), state(lua).get_integer(1)).value_or(SiteCounts{});
    state(lua).set_integer(static_cast<int64_t>(site.key));
    state(lua).set_integer(site.calls);
    state(lua).set_integer(site.served);
    return 3;
}

} // namespace

void register_rand_functions(Lua& lua) {
    lua.register_function("SetRandSeed", set_rand_seed_lua);
    lua.register_function("SetRandWindow", set_rand_window_lua);
    lua.register_function("SetRandEnabled", set_rand_enabled_lua);
    lua.register_function("GetRandState", get_rand_state_lua);
    lua.register_function("GetRandDebug", get_rand_debug_lua);
    lua.register_function("GetRandCaller", get_rand_caller_lua);
}

} // namespace kvr
