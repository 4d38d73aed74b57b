// The Lua view over a real Lua 5.4 state (native build, where the bindings are tested with
// real scripts). Arguments are read as the loader reads them: converted, never checked.
#include "LuaMadeSimple/LuaMadeSimple.hpp"

#include <exception>
#include <lua.hpp>

namespace RC::LuaMadeSimple {

namespace {

// Runs the mod's function; an exception it throws leaves its text on the stack and gives -1.
int call_guarded(lua_State* state, LuaFunction function) {
    try {
        return function(Lua(state));
    } catch (const std::exception& e) {
        lua_pushstring(state, e.what());
        return -1;
    }
}

// The C function Lua calls: the mod's function travels as the closure's one upvalue. As in the
// loader's call guard, an exception becomes a Lua error (raised here, with no C++ object alive,
// since lua_error does not return).
int trampoline(lua_State* state) {
    const auto function = reinterpret_cast<LuaFunction>(lua_touserdata(state, lua_upvalueindex(1)));
    const int results = call_guarded(state, function);
    return results < 0 ? lua_error(state) : results;
}

// The loader takes a read argument off the stack; an index past the top holds nothing to take.
void take_off(lua_State* state, int32_t index) {
    if (index >= 1 && index <= lua_gettop(state)) lua_remove(state, index);
}

} // namespace

void Lua::register_function(const std::string& name, const LuaFunction& function) {
    lua_pushlightuserdata(m_state, reinterpret_cast<void*>(function));
    lua_pushcclosure(m_state, trampoline, 1);
    lua_setglobal(m_state, name.c_str());
}

bool Lua::is_integer(int32_t index) {
    return lua_isinteger(m_state, index) != 0;
}

bool Lua::is_bool(int32_t index) {
    return lua_isboolean(m_state, index);
}

int64_t Lua::get_integer(int32_t index) {
    const int64_t value = lua_tointeger(m_state, index);
    take_off(m_state, index);
    return value;
}

bool Lua::get_bool(int32_t index) {
    const bool value = lua_toboolean(m_state, index) != 0;
    take_off(m_state, index);
    return value;
}

void Lua::set_integer(int64_t value) {
    lua_pushinteger(m_state, value);
}

} // namespace RC::LuaMadeSimple
