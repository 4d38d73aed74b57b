// The Lua state of the Windows build: no interpreter, just what a test host needs to call a
// registered function the way a script would. The host fills `stack` with the arguments, calls
// the function and reads its results from the top of the stack.
#pragma once
#include "LuaMadeSimple/LuaMadeSimple.hpp"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

using HostLuaValue = std::variant<int64_t, bool>;

struct lua_State {
    std::vector<HostLuaValue> stack;
    std::map<std::string, RC::LuaMadeSimple::LuaFunction> functions;
};

namespace RC::StandIn {

// Calls the function registered as `name` with `args`; returns its results, first result first.
// An unknown name throws std::out_of_range; an exception the function throws comes out as it is
// (the loader's call guard turns it into a Lua error).
inline std::vector<int64_t> call_lua_function(lua_State& state, const std::string& name,
                                              std::vector<HostLuaValue> args) {
    const LuaMadeSimple::LuaFunction function = state.functions.at(name);
    state.stack = std::move(args);
    const int count = function(LuaMadeSimple::Lua(&state));
    if (count < 0 || state.stack.size() < static_cast<std::size_t>(count)) {
        throw std::logic_error(name + " returned more results than it pushed");
    }
    std::vector<int64_t> results;
    for (std::size_t i = state.stack.size() - count; i < state.stack.size(); ++i) {
        results.push_back(std::get<int64_t>(state.stack[i]));
    }
    state.stack.clear();
    return results;
}

} // namespace RC::StandIn
