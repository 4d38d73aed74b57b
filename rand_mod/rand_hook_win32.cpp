#include "rand_mod/rand_hook_win32.h"

#include "rand_mod/import_hook.h"
#include "rand_mod/pe_imports.h"
#include "rand_mod/rand_streams.h"
#include "rand_mod/replacement_rand.h"

#include <DynamicOutput/DynamicOutput.hpp>
#include <string>
#include <windows.h>

namespace kvr {

namespace {

bool make_slot_writable(uintptr_t slot, uint32_t* old_protection) {
    DWORD old = 0;
    if (!VirtualProtect(reinterpret_cast<void*>(slot), sizeof(uintptr_t), PAGE_READWRITE, &old)) {
        return false;
    }
    *old_protection = old;
    return true;
}

void restore_slot_protection(uintptr_t slot, uint32_t old_protection) {
    DWORD ignored = 0;
    VirtualProtect(reinterpret_cast<void*>(slot), sizeof(uintptr_t), old_protection, &ignored);
}

constexpr SlotProtection kVirtualProtect{make_slot_writable, restore_slot_protection};

// The loader's devices are handed the level 4: its Error, which also paints the line red.
static_assert(RC::LogLevel::Error == 4, "the loader's error level is no longer 4");

// A zero-terminated text fits both forms the loader's send has taken (a character pointer or a
// string view). The text has no braces, so a loader that formats it unchanged.
void send_to_default_devices(std::wstring_view line) {
    const std::wstring text(line);
    RC::Output::send<RC::LogLevel::Error>(text.c_str());
}

} // namespace

void install_rand_hook() {
    const auto base = reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
    const auto* image = reinterpret_cast<const uint8_t*>(base);
    const std::vector<uint32_t> slots = find_import_slots(image, mapped_image_size(image), "rand");
    set_caller_base(base);
    install_import_hook(process_import_hook(), process_rand_streams(), base, slots,
                        replacement_rand_address(), kVirtualProtect, send_to_default_devices);
}

void remove_rand_hook() {
    remove_import_hook(process_import_hook(), replacement_rand_address(), kVirtualProtect);
}

} // namespace kvr
