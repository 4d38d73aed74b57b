// Steam's libraryfolders.vdf and loginusers.vdf: any bytes, then the library list and the
// account walk over the tokens read from them.
#include "launcher_core/server/race_requests.h"
#include "launcher_core/steam/steam_files.h"

#include "common/utf8.h"
#include "fuzz_check.h"
#include "json_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

// Stands in for the ANSI code page: bytes that are not UTF-8 are read as Latin-1.
std::string decode(std::string_view s) {
    if (kvr::is_valid_utf8(s)) return std::string(s);
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A token as Steam writes it: quote and backslash escaped.
std::string quoted(const std::string& token) {
    std::string out = "\"";
    for (const char c : token) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool same_folder(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

void check_libraries(std::string_view root, const std::vector<std::string>& tokens) {
    const std::vector<std::string> libs = libraries_from_tokens(root, tokens, decode);
    const std::string normal_root = normalize_steam_path(root);
    FUZZ_CHECK(libs.empty() == normal_root.empty());
    if (!libs.empty()) FUZZ_CHECK(libs[0] == normal_root);
    for (size_t i = 0; i < libs.size(); ++i) {
        FUZZ_CHECK(!libs[i].empty() && libs[i].back() != '\\');
        FUZZ_CHECK(libs[i].find('/') == std::string::npos);
        for (size_t k = 0; k < i; ++k)
            FUZZ_CHECK(!same_folder(libs[i], libs[k]));
    }
}

// The content of the JSON string that starts at `at` (its opening quote), unescaped. Only
// \u escapes below U+0080 are expected: the launcher escapes control characters and nothing else.
std::string json_string_at(std::string_view body, size_t at) {
    std::string out;
    for (size_t i = at + 1; i < body.size() && body[i] != '"'; ++i) {
        if (body[i] != '\\') {
            out += body[i];
            continue;
        }
        const char e = body[++i];
        const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        if (e == 'u') {
            out += static_cast<char>(std::stoi(std::string(body.substr(i + 1, 4)), nullptr, 16));
            i += 4;
        } else {
            out += meaning[simple.find(e)];
        }
    }
    return out;
}

// The persona goes into the bodies sent to the race server: they must stay valid JSON and carry
// the name unchanged, whatever it holds.
void check_persona_in_body(const std::string& persona) {
    const std::string body = skip_report_body(persona, "receipt invalid");
    FUZZ_CHECK(json_check::valid(body));
    FUZZ_CHECK(json_string_at(body, body.find(':') + 1) == persona);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string root = in.ConsumeRandomLengthString(64);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::vector<std::string> tokens = read_quoted_tokens(text);
    // Whatever a token holds, writing it back as Steam does reads as the same token.
    std::string written;
    for (const std::string& t : tokens)
        written += quoted(t) + "\t";
    FUZZ_CHECK(read_quoted_tokens(written) == tokens);

    check_libraries(root, tokens);

    const SteamAccount account = account_from_tokens(tokens, decode);
    const std::string& id = account.steam_id;
    FUZZ_CHECK(id.empty() ||
               (id.size() == 17 && id.rfind("7656", 0) == 0 &&
                std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; })));
    FUZZ_CHECK(kvr::is_valid_utf8(account.persona));
    check_persona_in_body(account.persona);
    return 0;
}
