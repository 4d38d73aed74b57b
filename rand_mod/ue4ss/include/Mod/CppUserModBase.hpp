// The base of every native mod: four descriptive strings and the loader's notifications, all
// empty by default so a mod overrides only what it needs.
#pragma once
#include "LuaMadeSimple/LuaMadeSimple.hpp"
#include "StandIn/Api.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace RC {

class RC_UE4SS_API CppUserModBase {
  public:
    std::wstring ModName;
    std::wstring ModVersion;
    std::wstring ModDescription;
    std::wstring ModAuthors;

    CppUserModBase();
    virtual ~CppUserModBase();

    virtual void on_update() {}
    virtual void on_unreal_init() {}
    virtual void on_ui_init() {}
    virtual void on_program_start() {}

    // Called when a Lua mod of the same name starts: its state, the main and async states, and
    // the states of its hooks (one, or all of them).
    virtual void on_lua_start(LuaMadeSimple::Lua& lua, LuaMadeSimple::Lua& main_lua,
                              LuaMadeSimple::Lua& async_lua, LuaMadeSimple::Lua* hook_lua) {
        (void)lua, (void)main_lua, (void)async_lua, (void)hook_lua;
    }
    virtual void on_lua_start(std::wstring_view mod_name, LuaMadeSimple::Lua& lua,
                              LuaMadeSimple::Lua& main_lua, LuaMadeSimple::Lua& async_lua,
                              LuaMadeSimple::Lua* hook_lua) {
        (void)mod_name, (void)lua, (void)main_lua, (void)async_lua, (void)hook_lua;
    }
    virtual void on_lua_start(LuaMadeSimple::Lua& lua, LuaMadeSimple::Lua& main_lua,
                              LuaMadeSimple::Lua& async_lua,
                              std::vector<LuaMadeSimple::Lua*>& hook_luas) {
        (void)lua, (void)main_lua, (void)async_lua, (void)hook_luas;
    }
    virtual void on_lua_start(std::wstring_view mod_name, LuaMadeSimple::Lua& lua,
                              LuaMadeSimple::Lua& main_lua, LuaMadeSimple::Lua& async_lua,
                              std::vector<LuaMadeSimple::Lua*>& hook_luas) {
        (void)mod_name, (void)lua, (void)main_lua, (void)async_lua, (void)hook_luas;
    }

    virtual void on_lua_stop(LuaMadeSimple::Lua& lua, LuaMadeSimple::Lua& main_lua,
                             LuaMadeSimple::Lua& async_lua, LuaMadeSimple::Lua* hook_lua) {
        (void)lua, (void)main_lua, (void)async_lua, (void)hook_lua;
    }
    virtual void on_lua_stop(std::wstring_view mod_name, LuaMadeSimple::Lua& lua,
                             LuaMadeSimple::Lua& main_lua, LuaMadeSimple::Lua& async_lua,
                             LuaMadeSimple::Lua* hook_lua) {
        (void)mod_name, (void)lua, (void)main_lua, (void)async_lua, (void)hook_lua;
    }
    virtual void on_lua_stop(LuaMadeSimple::Lua& lua, LuaMadeSimple::Lua& main_lua,
                             LuaMadeSimple::Lua& async_lua,
                             std::vector<LuaMadeSimple::Lua*>& hook_luas) {
        (void)lua, (void)main_lua, (void)async_lua, (void)hook_luas;
    }
    virtual void on_lua_stop(std::wstring_view mod_name, LuaMadeSimple::Lua& lua,
                             LuaMadeSimple::Lua& main_lua, LuaMadeSimple::Lua& async_lua,
                             std::vector<LuaMadeSimple::Lua*>& hook_luas) {
        (void)mod_name, (void)lua, (void)main_lua, (void)async_lua, (void)hook_luas;
    }

    virtual void on_dll_load(std::wstring_view dll_name) { (void)dll_name; }
    virtual void render_tab() {}
    virtual void on_cpp_mods_loaded() {}
};

} // namespace RC
