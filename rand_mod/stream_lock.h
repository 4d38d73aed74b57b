// The generator's one lock: seed, seed generation and every stream's state change under it.
//
// In the Windows build it is the system's slim reader/writer lock taken exclusively, the lock
// the MSVC runtime builds std::mutex on; MinGW's std::mutex goes through winpthreads instead and
// costs several times as much per call, on every rand() the game makes. Elsewhere it is a
// std::mutex. Not recursive either way: nothing that runs under it takes it again.
#pragma once

#if !defined(_WIN32)
#include <mutex>
#endif

namespace kvr {

class StreamLock {
  public:
    constexpr StreamLock() = default;
    StreamLock(const StreamLock&) = delete;
    StreamLock& operator=(const StreamLock&) = delete;

    void lock();
    void unlock();

  private:
#if defined(_WIN32)
    void* slim_ = nullptr; // an SRWLOCK: one pointer, all zero when unlocked and unused
#else
    std::mutex mutex_;
#endif
};

#if !defined(_WIN32)
inline void StreamLock::lock() {
    mutex_.lock();
}

inline void StreamLock::unlock() {
    mutex_.unlock();
}
#endif

} // namespace kvr
