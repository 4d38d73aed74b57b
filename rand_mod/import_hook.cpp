#include "rand_mod/import_hook.h"

#include <atomic>
#include <fmt/xchar.h>
#include <optional>

// Wide format strings ("{:X}" into a wstring) need {fmt} 8 or newer.
static_assert(FMT_VERSION >= 80000, "the hook's log lines need {fmt} 8 or newer");

namespace kvr {

namespace {

std::atomic_ref<uintptr_t> slot_ref(uintptr_t slot) {
    return std::atomic_ref<uintptr_t>(*reinterpret_cast<uintptr_t*>(slot));
}

// Writes `value` under a temporary write permission; returns the previous content, or nothing
// when the permission could not be changed.
std::optional<uintptr_t> write_slot(uintptr_t slot, uintptr_t value,
                                    const SlotProtection& protection) {
    uint32_t old_protection = 0;
    if (!protection.make_writable(slot, &old_protection)) return std::nullopt;
    const uintptr_t previous = slot_ref(slot).exchange(value);
    protection.restore(slot, old_protection);
    return previous;
}

// Puts `value` back only where `expected` still is; the check and the write are one step, so
// a function another component writes in between is never overwritten.
void write_slot_if(uintptr_t slot, uintptr_t expected, uintptr_t value,
                   const SlotProtection& protection) {
    if (slot_ref(slot).load() != expected) return;
    uint32_t old_protection = 0;
    if (!protection.make_writable(slot, &old_protection)) return;
    slot_ref(slot).compare_exchange_strong(expected, value);
    protection.restore(slot, old_protection);
}

// A rebuilt list keeps what an earlier construction saved for slots it already patched.
uintptr_t original_of(const std::vector<HookedSlot>& earlier, uintptr_t address, uintptr_t current,
                      uintptr_t replacement, uintptr_t real_rand) {
    if (current != replacement) return current;
    for (const HookedSlot& slot : earlier) {
        if (slot.address == address) return slot.original;
    }
    return real_rand;
}

void patch_slots(ImportHook& hook, uintptr_t replacement, const SlotProtection& protection,
                 const HookLog& log) {
    std::vector<const HookedSlot*> patched_here;
    try {
        for (const HookedSlot& slot : hook.slots) {
            const uint64_t offset = slot.address - hook.exe_base;
            const auto previous = write_slot(slot.address, replacement, protection);
            if (!previous) {
                log(fmt::format(L"[ReruRavuze] VirtualProtect failed for slot +0x{:X}\n", offset));
                continue;
            }
            if (*previous != replacement) patched_here.push_back(&slot);
            log(fmt::format(L"[ReruRavuze] hooked rand import at exe+0x{:X}\n", offset));
        }
    } catch (...) {
        for (const HookedSlot* slot : patched_here) {
            write_slot_if(slot->address, replacement, slot->original, protection);
        }
        throw;
    }
}

} // namespace

void install_import_hook(ImportHook& hook, RandStreams& streams, uintptr_t exe_base,
                         const std::vector<uint32_t>& slot_offsets, uintptr_t replacement,
                         const SlotProtection& protection, const HookLog& log) {
    std::lock_guard<std::mutex> guard(hook.lock);
    const std::vector<HookedSlot> earlier = std::move(hook.slots);
    hook.exe_base = exe_base;
    hook.slots.clear();
    for (const uint32_t offset : slot_offsets) {
        const uintptr_t address = exe_base + offset;
        const uintptr_t current = slot_ref(address).load();
        hook.slots.push_back(
            {address, original_of(earlier, address, current, replacement, hook.real_rand)});
    }

    if (hook.slots.empty()) {
        log(L"[ReruRavuze] no import of rand() found in the game exe - the game may now link rand "
            L"statically, nothing was hooked\n");
        return;
    }
    // Taken from the slot's saved original: when an earlier construction already patched the
    // slot, its current content is the replacement, and passing through to that would make
    // every pass-through call itself.
    hook.real_rand = hook.slots.front().original;
    streams.real_rand.store(reinterpret_cast<CrtRand>(hook.real_rand));
    patch_slots(hook, replacement, protection, log);
}

void remove_import_hook(ImportHook& hook, uintptr_t replacement, const SlotProtection& protection) {
    std::lock_guard<std::mutex> guard(hook.lock);
    if (hook.real_rand == 0) return;
    for (const HookedSlot& slot : hook.slots) {
        if (slot.original != 0) write_slot_if(slot.address, replacement, slot.original, protection);
    }
}

uint32_t slots_holding(ImportHook& hook, uintptr_t value) {
    std::lock_guard<std::mutex> guard(hook.lock);
    uint32_t count = 0;
    for (const HookedSlot& slot : hook.slots) {
        if (slot_ref(slot.address).load() == value) ++count;
    }
    return count;
}

ImportHook& process_import_hook() {
    static ImportHook hook;
    return hook;
}

} // namespace kvr
