#include "launcher_core/steam/steam_detection.h"

#include "launcher_core/steam/steam_registry.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

namespace {

std::vector<std::string> tokens_of_file(const std::string& path) {
    std::string text;
    kvr::read_file(path, text);
    return read_quoted_tokens(text);
}

std::string decode_steam_text(std::string_view bytes) {
    return kvr::external_to_utf8(bytes);
}

} // namespace

std::vector<std::string> list_steam_libraries(const std::string& steam_root) {
    if (steam_root.empty()) return {};
    return libraries_from_tokens(
        steam_root, tokens_of_file(normalize_steam_path(steam_root) + kLibraryFoldersBelowRoot),
        decode_steam_text);
}

std::string find_game_exe(const std::string& steam_root) {
    for (const std::string& library : list_steam_libraries(steam_root)) {
        const std::string exe = library + kGameExeBelowLibrary;
        if (kvr::path_exists(exe)) return exe;
    }
    return {};
}

SteamAccount detect_steam_account() {
    std::string root = steam_root_from_registry();
    if (root.empty()) root = kDefaultSteamRoot;
    return account_from_tokens(tokens_of_file(root + kLoginUsersBelowRoot), decode_steam_text);
}

std::string detect_steam_persona() {
    return detect_steam_account().persona;
}
