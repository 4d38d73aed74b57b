#include "launcher_core/server/submit_request.h"

#include "launcher_core/base/log.h"
#include "launcher_core/server/race_requests.h"

#include "common/win32/scoped_handle.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace {

constexpr ULONG kSha256Bytes = 32;

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

struct AlgorithmCloser {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashCloser {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { BCryptDestroyHash(h); }
};

// The algorithm provider and a hash object of it; the hash is destroyed first.
struct Sha256 {
    kvr::Scoped<AlgorithmCloser> alg;
    kvr::Scoped<HashCloser> hash;
    Sha256() {
        BCRYPT_ALG_HANDLE a = nullptr;
        if (!succeeded(BCryptOpenAlgorithmProvider(&a, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            return;
        alg.reset(a);
        // A null object buffer of size 0 lets CNG keep the hash object itself (Windows 7 on).
        BCRYPT_HASH_HANDLE h = nullptr;
        if (succeeded(BCryptCreateHash(alg.get(), &h, nullptr, 0, nullptr, 0, 0))) hash.reset(h);
    }
};

} // namespace

std::string sha256_digest(std::string_view data) {
    Sha256 sha;
    if (!sha.hash) return {};
    // The length is a ULONG: fed in pieces that fit it.
    while (!data.empty()) {
        const ULONG piece = static_cast<ULONG>(std::min<size_t>(data.size(), 1u << 30));
        auto* bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(data.data()));
        if (!succeeded(BCryptHashData(sha.hash.get(), bytes, piece, 0))) return {};
        data.remove_prefix(piece);
    }
    std::string digest(kSha256Bytes, '\0');
    // The output size must be the hash's size exactly.
    if (!succeeded(BCryptFinishHash(sha.hash.get(), reinterpret_cast<PUCHAR>(digest.data()),
                                    kSha256Bytes, 0)))
        return {};
    return digest;
}

bool post_submit(const LauncherConfig& cfg, const std::string& body, std::string& answer,
                 int* status, HttpProblem* problem) {
    const std::string digest = sha256_digest(body);
    if (digest.empty()) log_line("submit sent without Idempotency-Key (SHA-256 unavailable)");
    return http_post_json(endpoint_url(cfg.server, "/submit"), body, answer, status, problem,
                          digest.empty() ? std::string() : idempotency_key_header(digest));
}
