#include "launcher_core/steam/steam_files.h"

#include <algorithm>

namespace {

bool same_folder(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](unsigned char x, unsigned char y) { return lower(x) == lower(y); });
}

bool is_steam_id(std::string_view t) {
    return t.size() == 17 && t.substr(0, 4) == "7656" &&
           std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::vector<std::string> read_quoted_tokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    bool inside = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inside) {
            if (c == '"') {
                inside = true;
                token.clear();
            }
            continue;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
            token += text[++i];
        } else if (c == '"') {
            tokens.push_back(token);
            inside = false;
        } else {
            token += c;
        }
    }
    return tokens;
}

std::string normalize_steam_path(std::string_view path) {
    std::string p(path);
    std::replace(p.begin(), p.end(), '/', '\\');
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    return p;
}

std::vector<std::string> libraries_from_tokens(std::string_view steam_root,
                                               const std::vector<std::string>& tokens,
                                               TextDecoder decode) {
    std::vector<std::string> libraries;
    const std::string root = normalize_steam_path(steam_root);
    if (root.empty()) return libraries;
    libraries.push_back(root);
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i] != "path") continue;
        const std::string path = normalize_steam_path(decode(tokens[++i]));
        const bool listed = std::any_of(libraries.begin(), libraries.end(),
                                        [&](const std::string& l) { return same_folder(l, path); });
        if (!path.empty() && !listed) libraries.push_back(path);
    }
    return libraries;
}

SteamAccount account_from_tokens(const std::vector<std::string>& tokens, TextDecoder decode) {
    std::string id, persona;
    SteamAccount first, recent;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        const bool has_value = i + 1 < tokens.size();
        // A key's value is consumed with it, so a persona that reads like a key or an id
        // (a player may call themselves "MostRecent") is never taken for one.
        if (t == "PersonaName" && has_value) {
            persona = decode(tokens[++i]);
            if (!id.empty() && !persona.empty() && first.steam_id.empty()) first = {id, persona};
        } else if (t == "MostRecent" && has_value) {
            if (tokens[++i] == "1") recent = {id, persona};
        } else if (is_steam_id(t)) {
            id = t;
        }
    }
    return {recent.steam_id.empty() ? first.steam_id : recent.steam_id,
            recent.persona.empty() ? first.persona : recent.persona};
}
