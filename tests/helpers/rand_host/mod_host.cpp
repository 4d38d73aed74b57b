#include "mod_host.h"

#include "common/win32/wide.h"
#include "common/win32/win_error.h"

#include <windows.h>

namespace kvr {

namespace {

class RecordingDevice : public RC::Output::OutputDevice {
  public:
    RecordingDevice(std::shared_ptr<std::vector<LoggedLine>> lines, bool with_level)
        : lines_(std::move(lines)), with_level_(with_level) {}

    bool has_optional_arg() const override { return with_level_; }
    void receive(std::wstring_view text) const override {
        lines_->push_back({std::wstring(text), false, 0});
    }
    void receive_with_optional_arg(std::wstring_view text, int32_t level) const override {
        lines_->push_back({std::wstring(text), true, level});
    }

  private:
    std::shared_ptr<std::vector<LoggedLine>> lines_;
    bool with_level_;
};

} // namespace

ModHost::ModHost(int plain_devices, int level_devices)
    : lines_(std::make_shared<std::vector<LoggedLine>>()) {
    auto& devices = RC::Output::DefaultTargets::get_default_devices_ref();
    devices.clear();
    for (int i = 0; i < plain_devices; ++i) {
        devices.push_back(std::make_unique<RecordingDevice>(lines_, false));
    }
    for (int i = 0; i < level_devices; ++i) {
        devices.push_back(std::make_unique<RecordingDevice>(lines_, true));
    }
}

ModHost::~ModHost() {
    uninstall();
    unload();
    RC::Output::DefaultTargets::get_default_devices_ref().clear();
}

bool ModHost::load(const std::wstring& dll_path) {
    HMODULE module = LoadLibraryW(dll_path.c_str());
    if (!module) {
        error = "LoadLibraryW " + wide_to_utf8(dll_path) + ": " + error_text(GetLastError());
        return false;
    }
    module_ = module;
    start_mod_ = reinterpret_cast<RC::CppUserModBase* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "start_mod")));
    uninstall_mod_ = reinterpret_cast<void (*)(RC::CppUserModBase*)>(
        reinterpret_cast<void*>(GetProcAddress(module, "uninstall_mod")));
    if (!start_mod_ || !uninstall_mod_) {
        error = "start_mod or uninstall_mod not exported";
        return false;
    }
    return true;
}

RC::CppUserModBase* ModHost::start() {
    RC::CppUserModBase* mod = start_mod_();
    mods_.push_back(mod);
    return mod;
}

void ModHost::start_lua(std::size_t hook_states) {
    states_.clear();
    for (std::size_t i = 0; i < 3 + hook_states; ++i)
        states_.push_back(std::make_unique<lua_State>());
    RC::LuaMadeSimple::Lua lua(states_[0].get());
    RC::LuaMadeSimple::Lua main_lua(states_[1].get());
    RC::LuaMadeSimple::Lua async_lua(states_[2].get());
    std::vector<RC::LuaMadeSimple::Lua> hooks;
    for (std::size_t i = 3; i < states_.size(); ++i)
        hooks.emplace_back(states_[i].get());
    std::vector<RC::LuaMadeSimple::Lua*> hook_pointers;
    for (auto& hook : hooks)
        hook_pointers.push_back(&hook);
    mods_.back()->on_lua_start(L"KVRWeekly", lua, main_lua, async_lua, hook_pointers);
}

std::vector<int64_t> ModHost::call(std::size_t state, const std::string& name,
                                   std::vector<HostLuaValue> args) {
    return RC::StandIn::call_lua_function(*states_.at(state), name, std::move(args));
}

void ModHost::uninstall() {
    while (!mods_.empty()) {
        uninstall_mod_(mods_.back());
        mods_.pop_back();
    }
}

void ModHost::unload() {
    if (module_) FreeLibrary(static_cast<HMODULE>(module_));
    module_ = nullptr;
    start_mod_ = nullptr;
    uninstall_mod_ = nullptr;
}

std::wstring beside_this_exe(const std::wstring& file_name) {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring dir(path, n);
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return dir + file_name;
}

} // namespace kvr
