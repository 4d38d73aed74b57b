// ReruRavuzeMod: the native mod the loader constructs through start_mod. Construction hooks the
// game's `rand` imports, destruction unhooks them; when the race's Lua mod starts, its states
// get the generator's control functions.
#pragma once
#include <Mod/CppUserModBase.hpp>

class ReruRavuzeMod : public RC::CppUserModBase {
  public:
    ReruRavuzeMod();
    ~ReruRavuzeMod() override;

    using RC::CppUserModBase::on_lua_start;
    void on_lua_start(std::wstring_view mod_name, RC::LuaMadeSimple::Lua& lua,
                      RC::LuaMadeSimple::Lua& main_lua, RC::LuaMadeSimple::Lua& async_lua,
                      std::vector<RC::LuaMadeSimple::Lua*>& hook_luas) override;
};
