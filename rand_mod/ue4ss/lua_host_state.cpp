// The Lua view over the host's state (Windows build): arguments and results are plain values,
// read as the loader reads Lua's: converted, never checked.
#include "LuaMadeSimple/LuaMadeSimple.hpp"
#include "StandIn/HostLuaState.hpp"

namespace RC::LuaMadeSimple {

namespace {

const HostLuaValue* argument(const lua_State& state, int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > state.stack.size()) return nullptr;
    return &state.stack[index - 1];
}

// The loader takes a read argument off the stack.
void take_off(lua_State& state, int32_t index) {
    if (argument(state, index)) state.stack.erase(state.stack.begin() + (index - 1));
}

} // namespace

void Lua::register_function(const std::string& name, const LuaFunction& function) {
    m_state->functions[name] = function;
}

bool Lua::is_integer(int32_t index) {
    const HostLuaValue* value = argument(*m_state, index);
    return value && std::holds_alternative<int64_t>(*value);
}

bool Lua::is_bool(int32_t index) {
    const HostLuaValue* value = argument(*m_state, index);
    return value && std::holds_alternative<bool>(*value);
}

// lua_tointeger: a boolean or nothing reads as 0.
int64_t Lua::get_integer(int32_t index) {
    const HostLuaValue* value = argument(*m_state, index);
    const int64_t result =
        value && std::holds_alternative<int64_t>(*value) ? std::get<int64_t>(*value) : 0;
    take_off(*m_state, index);
    return result;
}

// lua_toboolean: nothing is false, any number is true.
bool Lua::get_bool(int32_t index) {
    const HostLuaValue* value = argument(*m_state, index);
    const bool result =
        value && (std::holds_alternative<int64_t>(*value) || std::get<bool>(*value));
    take_off(*m_state, index);
    return result;
}

void Lua::set_integer(int64_t value) {
    m_state->stack.emplace_back(value);
}

} // namespace RC::LuaMadeSimple
