#include "rand_mod/stream_lock.h"

#include <windows.h>

namespace kvr {

static_assert(sizeof(SRWLOCK) == sizeof(void*), "StreamLock stores an SRWLOCK in one pointer");

void StreamLock::lock() {
    AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&slim_));
}

void StreamLock::unlock() {
    ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&slim_));
}

} // namespace kvr
