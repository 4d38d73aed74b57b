// A thin view of one Lua state, as native mods see it: register C functions by name, read the
// arguments of a call, push its results. Natively it is backed by real Lua 5.4; in the Windows
// build a test host drives a state of its own (StandIn/HostLuaState.hpp).
#pragma once
#include "StandIn/Api.hpp"

#include <cstdint>
#include <string>

struct lua_State;

namespace RC::LuaMadeSimple {

class Lua;
// Returns how many results the function pushed.
using LuaFunction = int (*)(const Lua&);

class RC_UE4SS_API Lua {
  public:
    explicit Lua(lua_State* state) : m_state(state) {}

    lua_State* get_lua_state() const { return m_state; }

    // Makes `function` callable as the global `name`; a second registration replaces the first.
    void register_function(const std::string& name, const LuaFunction& function);

    // Arguments of the running call, counted from 1, as the loader reads them: `is_*` says
    // whether the value has that type; `get_*` converts whatever is there (lua_tointeger: 0 for
    // anything but an integer or a string of one; lua_toboolean: false for nil and false only),
    // never raises an error, and takes the value off the stack. Not const members, although
    // functions get their state as `const Lua&`: the stricter of the ways a loader may declare
    // them, so the mod is built against both.
    bool is_integer(int32_t index = 1);
    bool is_bool(int32_t index = 1);
    int64_t get_integer(int32_t index = 1);
    bool get_bool(int32_t index = 1);

    // Pushes one result of the running call.
    void set_integer(int64_t value);

  private:
    lua_State* m_state;
};

} // namespace RC::LuaMadeSimple
