// Plays the mod loader for tests, inside the calling process: installs output devices that
// record every line, loads the mod DLL, constructs it through start_mod, starts its Lua side
// with loader-style states, calls the registered functions as a script would, and destroys and
// unloads it through uninstall_mod. The calling process is the "game": its own `rand` imports
// are what the mod hooks.
#pragma once
#include <DynamicOutput/DynamicOutput.hpp>
#include <Mod/CppUserModBase.hpp>
#include <StandIn/HostLuaState.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvr {

struct LoggedLine {
    std::wstring text;
    bool with_level = false; // received through the operation that takes the level
    int32_t level = 0;
};

class ModHost {
  public:
    // The loader's default devices: `plain_devices` that take the plain receive operation, then
    // `level_devices` that take the one with the level. Zero of both leaves the list empty.
    explicit ModHost(int plain_devices = 1, int level_devices = 1);
    ~ModHost(); // uninstalls every started mod, unloads the DLL, removes the devices
    ModHost(const ModHost&) = delete;
    ModHost& operator=(const ModHost&) = delete;

    // LoadLibraryW and the two exports; false with `error` set.
    bool load(const std::wstring& dll_path);
    // start_mod; whatever it throws reaches the caller.
    RC::CppUserModBase* start();
    // The Lua mod starts: its own, main and async states plus `hook_states` more, given to the
    // newest mod's on_lua_start overload that takes them all.
    void start_lua(std::size_t hook_states = 1);
    std::size_t lua_state_count() const { return states_.size(); }
    // Calls a registered function in one of the states; returns its results.
    std::vector<int64_t> call(std::size_t state, const std::string& name,
                              std::vector<HostLuaValue> args = {});
    void uninstall(); // uninstall_mod for every started mod, newest first
    void unload();

    const std::vector<LoggedLine>& lines() const { return *lines_; }
    const std::vector<RC::CppUserModBase*>& mods() const { return mods_; }
    std::string error;

  private:
    void* module_ = nullptr;
    RC::CppUserModBase* (*start_mod_)() = nullptr;
    void (*uninstall_mod_)(RC::CppUserModBase*) = nullptr;
    std::shared_ptr<std::vector<LoggedLine>> lines_;
    std::vector<RC::CppUserModBase*> mods_;
    std::vector<std::unique_ptr<lua_State>> states_;
};

// A file beside the running executable.
std::wstring beside_this_exe(const std::wstring& file_name);

} // namespace kvr
