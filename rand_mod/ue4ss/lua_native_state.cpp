// The Lua view over a real Lua 5.4 state (native build, where the bindings are tested with
// real scripts).
#include "LuaMadeSimple/LuaMadeSimple.hpp"

#include <lua.hpp>

namespace RC::LuaMadeSimple {

namespace {

// The C function Lua calls: the mod's function travels as the closure's one upvalue.
int trampoline(lua_State* state) {
    const auto function = reinterpret_cast<LuaFunction>(lua_touserdata(state, lua_upvalueindex(1)));
    return function(Lua(state));
}

} // namespace

void Lua::register_function(const std::string& name, const LuaFunction& function) {
    lua_pushlightuserdata(m_state, reinterpret_cast<void*>(function));
    lua_pushcclosure(m_state, trampoline, 1);
    lua_setglobal(m_state, name.c_str());
}

// Type errors become Lua errors, which a script sees (and pcall can catch) like any other.
int64_t Lua::get_integer(int32_t index) {
    return luaL_checkinteger(m_state, index);
}

bool Lua::get_bool(int32_t index) {
    luaL_checktype(m_state, index, LUA_TBOOLEAN);
    return lua_toboolean(m_state, index) != 0;
}

void Lua::set_integer(int64_t value) {
    lua_pushinteger(m_state, value);
}

} // namespace RC::LuaMadeSimple
