// The Lua view over the host's state (Windows build): arguments and results are plain values.
#include "LuaMadeSimple/LuaMadeSimple.hpp"
#include "StandIn/HostLuaState.hpp"

#include <stdexcept>

namespace RC::LuaMadeSimple {

namespace {

template <typename T> T argument(const lua_State& state, int32_t index, const char* kind) {
    if (index < 1 || static_cast<std::size_t>(index) > state.stack.size() ||
        !std::holds_alternative<T>(state.stack[index - 1])) {
        throw std::invalid_argument(std::string("argument ") + std::to_string(index) + " is not " +
                                    kind);
    }
    return std::get<T>(state.stack[index - 1]);
}

} // namespace

void Lua::register_function(const std::string& name, const LuaFunction& function) {
    m_state->functions[name] = function;
}

int64_t Lua::get_integer(int32_t index) {
    return argument<int64_t>(*m_state, index, "an integer");
}

bool Lua::get_bool(int32_t index) {
    return argument<bool>(*m_state, index, "a boolean");
}

void Lua::set_integer(int64_t value) {
    m_state->stack.emplace_back(value);
}

} // namespace RC::LuaMadeSimple
