#include "rand_mod/ravuze_mod.h"

#include "rand_mod/lua_bindings.h"
#include "rand_mod/rand_hook_win32.h"

ReruRavuzeMod::ReruRavuzeMod() {
    // Wide literals rather than the loader's STR macro: the strings are wide on Windows either way,
    // and the mod then needs nothing from the header that defines the macro.
    ModName = L"ReruRavuze";
    ModVersion = L"1.4";
    ModDescription =
        L"Lua-controlled deterministic rand() (per call-site streams, import found by name)";
    ModAuthors = L"you";
    kvr::install_rand_hook();
}

ReruRavuzeMod::~ReruRavuzeMod() {
    kvr::remove_rand_hook();
}

void ReruRavuzeMod::on_lua_start(std::wstring_view, RC::LuaMadeSimple::Lua& lua,
                                 RC::LuaMadeSimple::Lua& main_lua,
                                 RC::LuaMadeSimple::Lua& async_lua,
                                 std::vector<RC::LuaMadeSimple::Lua*>& hook_luas) {
    kvr::register_rand_functions(lua);
    kvr::register_rand_functions(main_lua);
    kvr::register_rand_functions(async_lua);
    for (RC::LuaMadeSimple::Lua* hook_lua : hook_luas) {
        if (hook_lua) kvr::register_rand_functions(*hook_lua);
    }
}

// The loader finds these by name.
extern "C" __declspec(dllexport) RC::CppUserModBase* start_mod() {
    return new ReruRavuzeMod();
}

extern "C" __declspec(dllexport) void uninstall_mod(RC::CppUserModBase* mod) {
    delete mod;
}
