#include "fresh_process_streams.h"
#include "rand_mod/lua_bindings.h"
#include "rand_mod/rand_streams.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>

using namespace kvr;

namespace {

int crt_rand_stub() {
    return 777;
}

// A real Lua 5.4 state with the six functions, over a freshly loaded generator.
class LuaBindingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_process_streams(crt_rand_stub);
        state_ = luaL_newstate();
        luaL_openlibs(state_);
        RC::LuaMadeSimple::Lua lua(state_);
        register_rand_functions(lua);
    }
    void TearDown() override { lua_close(state_); }

    // Runs a chunk; returns its error text, empty on success.
    std::string run(const std::string& script) {
        if (luaL_dostring(state_, script.c_str()) == LUA_OK) return "";
        std::string error = lua_tostring(state_, -1);
        lua_pop(state_, 1);
        return error;
    }

    lua_State* state_ = nullptr;
};

// The game's calls, from a site the script can look up.
void game_calls(uint64_t key, int n) {
    for (int i = 0; i < n; ++i)
        draw_rand(process_rand_streams(), key);
}

} // namespace

TEST_F(LuaBindingsTest, ScriptSteersTheGeneratorAndReadsItsCounters) {
    // Right after loading: nothing called, nothing hooked (no executable natively), no sites.
    EXPECT_EQ(run(R"(
        local calls, served, slots, sites = GetRandDebug()
        assert(calls == 0 and served == 0 and slots == 0 and sites == 0)
        assert(GetRandState() == 12345)
        SetRandSeed(42)
        assert(GetRandState() == 42)
    )"),
              "");

    game_calls(0x1234, 2); // window still closed: the C runtime's values, counted
    EXPECT_EQ(run("SetRandWindow(true)"), "");
    EXPECT_EQ(draw_rand(process_rand_streams(), 0x1234), 6658); // seed 42's first value
    game_calls(0x99, 1);

    EXPECT_EQ(run(R"(
        local calls, served, slots, sites = GetRandDebug()
        assert(calls == 4 and served == 2 and sites == 2, calls .. " " .. served .. " " .. sites)
        local key, n, s = GetRandCaller(1)   -- 0x1234 sits before 0x99 in the table
        assert(key == 0x1234 and n == 3 and s == 1, key .. " " .. n .. " " .. s)
        key, n, s = GetRandCaller(0)
        assert(key == 0x99 and n == 1 and s == 1)
        SetRandEnabled(false)
    )"),
              "");
    EXPECT_EQ(draw_rand(process_rand_streams(), 0x1234), 777);
    EXPECT_EQ(run("SetRandEnabled(true) SetRandWindow(false)"), "");
    EXPECT_EQ(draw_rand(process_rand_streams(), 0x1234), 777);
    EXPECT_EQ(run("SetRandWindow(true) SetRandSeed(42)"), "");
    EXPECT_EQ(draw_rand(process_rand_streams(), 0x1234), 6658); // same seed: stream restarted
}

TEST_F(LuaBindingsTest, CallerIndexOutsideTheListGivesZeros) {
    game_calls(0x1234, 1);
    EXPECT_EQ(run(R"(
        for _, i in ipairs({-1, 1, 2, 1024, math.mininteger, math.maxinteger}) do
            local key, calls, served = GetRandCaller(i)
            assert(key == 0 and calls == 0 and served == 0, "index " .. i)
        end
        assert(select("#", GetRandCaller(5)) == 3)
        assert(select("#", GetRandDebug()) == 4)
        assert(select("#", SetRandSeed(1)) == 0)
    )"),
              "");
}

TEST_F(LuaBindingsTest, SeedKeepsTheLowBitsAndReadsBackUnsigned) {
    EXPECT_EQ(run(R"(
        SetRandSeed(-1)
        assert(GetRandState() == 4294967295)
        SetRandSeed(0x100000007)
        assert(GetRandState() == 7)
    )"),
              "");
}

// The loader converts what a script passes (a string or 1.5 reads as 0, nothing as false); the
// mod checks the type itself and the script sees an error naming the function.
TEST_F(LuaBindingsTest, WronglyTypedArgumentsAreLuaErrorsNamingTheFunction) {
    EXPECT_EQ(run(R"(
        SetRandWindow(true)
        local function fails(f, name, ...)
            local ok, err = pcall(f, ...)
            assert(not ok and err:find(name .. ": argument 1 must be", 1, true), tostring(err))
        end
        fails(SetRandSeed, "SetRandSeed", "seven")
        fails(SetRandSeed, "SetRandSeed", 1.5)
        fails(SetRandSeed, "SetRandSeed", "7")
        fails(SetRandWindow, "SetRandWindow", 0)
        fails(SetRandEnabled, "SetRandEnabled")
        fails(GetRandCaller, "GetRandCaller", {})
        assert(GetRandState() == 12345)
    )"),
              "");
    EXPECT_TRUE(process_rand_streams().window);
    EXPECT_TRUE(process_rand_streams().enabled);
}

// The stand-in reads arguments as the loader does: converted, never an error, taken off the
// stack.
TEST_F(LuaBindingsTest, StandInConvertsArgumentsAsTheLoader) {
    RC::LuaMadeSimple::Lua lua(state_);
    lua_settop(state_, 0);
    lua_pushstring(state_, "seven");
    lua_pushnumber(state_, 1.5);
    lua_pushstring(state_, "7");
    lua_pushinteger(state_, 9);
    EXPECT_FALSE(lua.is_integer(1));
    EXPECT_EQ(lua.get_integer(1), 0); // "seven"
    EXPECT_EQ(lua.get_integer(1), 0); // 1.5
    EXPECT_EQ(lua.get_integer(1), 7); // "7"
    EXPECT_TRUE(lua.is_integer(1));
    EXPECT_EQ(lua.get_integer(1), 9);
    EXPECT_EQ(lua_gettop(state_), 0);
    EXPECT_EQ(lua.get_integer(1), 0); // nothing there

    lua_pushinteger(state_, 0);
    lua_pushnil(state_);
    EXPECT_FALSE(lua.is_bool(1));
    EXPECT_TRUE(lua.get_bool(1)); // 0 is true in Lua
    EXPECT_FALSE(lua.get_bool(1));
    EXPECT_FALSE(lua.get_bool(1)); // nothing there
}
