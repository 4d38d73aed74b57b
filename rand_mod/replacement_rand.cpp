#include "rand_mod/replacement_rand.h"

#include "rand_mod/rand_streams.h"

#include <atomic>

#if defined(_MSC_VER)
#include <intrin.h>
#pragma intrinsic(_ReturnAddress)
#define KVR_RETURN_ADDRESS() reinterpret_cast<uintptr_t>(_ReturnAddress())
#define KVR_NOINLINE __declspec(noinline)
#else
#define KVR_RETURN_ADDRESS() reinterpret_cast<uintptr_t>(__builtin_return_address(0))
#define KVR_NOINLINE __attribute__((noinline))
#endif

namespace kvr {

namespace {
std::atomic<uintptr_t> caller_base{0};
} // namespace

void set_caller_base(uintptr_t exe_base) {
    caller_base.store(exe_base);
}

// Never inlined: the return address must be the game's call site, not a caller inside the mod.
KVR_NOINLINE int replacement_rand() {
    const uint64_t key = KVR_RETURN_ADDRESS() - caller_base.load(std::memory_order_relaxed);
    return draw_rand(process_rand_streams(), key);
}

} // namespace kvr
