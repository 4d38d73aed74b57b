// The Idempotency-Key's hash through Windows' CNG: known SHA-256 values, so a provider that hashed
// something else (a length in characters, a terminating NUL) would be caught before a server saw
// two keys for one run.
#include "launcher_core/server/race_requests.h"
#include "launcher_core/server/submit_request.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string key_of(const std::string& body) {
    return idempotency_key_header(sha256_digest(body));
}

} // namespace

TEST(SubmitKey, Sha256OfTheExactBodyBytes) {
    EXPECT_EQ(key_of("abc"),
              "Idempotency-Key: "
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n");
    EXPECT_EQ(key_of(""), "Idempotency-Key: "
                          "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\r\n");
    // 58 bytes (the padding takes a second block), and a body as the launcher sends it: UTF-8, an
    // embedded NUL kept.
    EXPECT_EQ(key_of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnonopnopq"),
              "Idempotency-Key: "
              "263118334c9cbbbcc1ca21b172dfa900054000c02fccb01103a94d48179751c1\r\n");
    const std::string body = std::string("{\"player\":\"张三\",\"x\":\"a") + '\0' + "b\"}";
    EXPECT_EQ(key_of(body), "Idempotency-Key: "
                            "3a31cd70741981b2de110b6301ee7ee3736f77d15401047422fe831a50cd1cbf\r\n");
}
