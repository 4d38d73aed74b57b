// Win32 handles closed when their scope ends, on every path. One template; each kind of handle
// says what its empty value is and how it is closed:
//
//   struct InternetCloser {
//       using Handle = HINTERNET;
//       static Handle empty() { return nullptr; }
//       static void close(Handle h) { WinHttpCloseHandle(h); }
//   };
//   kvr::Scoped<InternetCloser> session(WinHttpOpen(...));
//
// The kinds every program meets are here; a module with its own (sockets, WinHTTP, CNG) declares
// its closer beside its code, so this header pulls in no network or crypto headers.
#pragma once
#include <windows.h>

#include <utility>

namespace kvr {

template <typename Closer> class Scoped {
  public:
    using Handle = typename Closer::Handle;

    explicit Scoped(Handle h = Closer::empty()) : h_(h) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : h_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        reset(other.release());
        return *this;
    }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Closer::empty(); }
    // A closing call may set the thread's last error: a caller reads the code of a failure
    // before the scope ends.
    void reset(Handle h = Closer::empty()) {
        if (h_ != Closer::empty()) Closer::close(h_);
        h_ = h;
    }
    Handle release() { return std::exchange(h_, Closer::empty()); }

  private:
    Handle h_;
};

// Files, pipes and events from CreateFileW and its kin: INVALID_HANDLE_VALUE when none.
struct FileCloser {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { CloseHandle(h); }
};
using ScopedFile = Scoped<FileCloser>;

// Processes, threads and snapshots: null when none.
struct KernelCloser {
    using Handle = HANDLE;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { CloseHandle(h); }
};
using ScopedKernelHandle = Scoped<KernelCloser>;

// Directory listings from FindFirstFileW.
struct FindCloser {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { FindClose(h); }
};
using ScopedFind = Scoped<FindCloser>;

} // namespace kvr
