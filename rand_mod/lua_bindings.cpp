#include "rand_mod/lua_bindings.h"

#include "rand_mod/import_hook.h"
#include "rand_mod/rand_streams.h"
#include "rand_mod/replacement_rand.h"

#include <stdexcept>
#include <string>

namespace kvr {

namespace {

using RC::LuaMadeSimple::Lua;

// The loader hands each function its state as `const Lua&`; whether the accessors are const
// members is up to the loader's headers, so they are called through a non-const view (the
// state object itself is never const).
Lua& state(const Lua& lua) {
    return const_cast<Lua&>(lua);
}

// The loader converts whatever a script passes (a string seeds 0, a missing flag switches the
// generator off), so the type is checked here. A mistake is raised as a Lua error naming the
// function: the loader's call guard turns an exception into one.
[[noreturn]] void wrong_argument(const char* function, const char* wanted) {
    throw std::invalid_argument(std::string(function) + ": argument 1 must be " + wanted);
}

int64_t integer_argument(const Lua& lua, const char* function) {
    if (!state(lua).is_integer(1)) wrong_argument(function, "an integer");
    return state(lua).get_integer(1);
}

bool bool_argument(const Lua& lua, const char* function) {
    if (!state(lua).is_bool(1)) wrong_argument(function, "a boolean");
    return state(lua).get_bool(1);
}

int set_rand_seed_lua(const Lua& lua) {
    const int64_t seed = integer_argument(lua, "SetRandSeed");
    set_rand_seed(process_rand_streams(), static_cast<uint32_t>(seed));
    return 0;
}

int set_rand_window_lua(const Lua& lua) {
    process_rand_streams().window.exchange(bool_argument(lua, "SetRandWindow"));
    return 0;
}

int set_rand_enabled_lua(const Lua& lua) {
    process_rand_streams().enabled.exchange(bool_argument(lua, "SetRandEnabled"));
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
        listed_site(process_rand_streams(), integer_argument(lua, "GetRandCaller"))
            .value_or(SiteCounts{});
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
