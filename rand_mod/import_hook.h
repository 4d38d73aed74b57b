// Redirecting the executable's `rand` import slots to the replacement and back.
//
// Contract: installing replaces the hook's slot list, saves the first slot's function as the
// real `rand` (the pass-through of every slot) and writes the replacement into each slot under
// a temporary write permission, logging each slot by its offset from the executable base. A
// slot whose permission cannot be changed is logged and left alone. Removing gives every listed
// slot that still holds the replacement the function it held before (each slot its own, so a
// game importing `rand` from two runtimes gets both back as they were); a slot someone else
// re-patched meanwhile keeps their function. Slot writes are single atomic 8-byte stores, so a
// game thread calling through a slot sees either the old or the new function.
#pragma once
#include "rand_mod/rand_streams.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

namespace kvr {

// How a slot's page is made writable and put back: VirtualProtect in the game, plain memory in
// tests. `make_writable` returns false when the protection could not be changed.
struct SlotProtection {
    bool (*make_writable)(uintptr_t slot, uint32_t* old_protection);
    void (*restore)(uintptr_t slot, uint32_t old_protection);
};

using HookLog = std::function<void(std::wstring_view line)>;

struct HookedSlot {
    uintptr_t address = 0;
    uintptr_t original = 0; // what the slot held before the replacement
};

struct ImportHook {
    std::mutex lock;
    uintptr_t exe_base = 0;
    std::vector<HookedSlot> slots;
    uintptr_t real_rand = 0; // 0 until a slot was found
};

// Searches nothing itself: `slot_offsets` are the import slots found below `exe_base`. The real
// `rand` is published to `streams` before the first slot points at the replacement. When `log`
// throws, slots this call patched get the real `rand` back before the exception leaves, so no
// slot is left pointing into a mod that was never constructed.
void install_import_hook(ImportHook& hook, RandStreams& streams, uintptr_t exe_base,
                         const std::vector<uint32_t>& slot_offsets, uintptr_t replacement,
                         const SlotProtection& protection, const HookLog& log);

void remove_import_hook(ImportHook& hook, uintptr_t replacement, const SlotProtection& protection);

// Listed slots that hold `value` right now.
uint32_t slots_holding(ImportHook& hook, uintptr_t value);

// The hook of this process, used by the mod and by the Lua functions.
ImportHook& process_import_hook();

} // namespace kvr
