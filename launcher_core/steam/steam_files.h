// Steam's own text files, libraryfolders.vdf and loginusers.vdf, read as quoted tokens.
//
// Contract of the token reader: every pair of double quotes encloses one token (an empty pair
// gives an empty token); text outside quotes (braces, blanks, line ends) is ignored. Inside a
// token, backslash-quote is a quote that does not end the token and two backslashes are one
// backslash, because Steam escapes both when it writes these files; any other backslash is kept
// as it is. A quote still open at the end of the text gives no token. Tokens keep file order.
//
// The walks take a decoder for text that came from the file (valid UTF-8 is kept, other bytes
// are converted from the ANSI code page); they are pure and never touch the disk.
#pragma once
#include "common/race_names.h"
#include "common/utf8.h"

#include <string>
#include <string_view>
#include <vector>

struct SteamAccount {
    std::string steam_id; // 17 digits beginning with "7656", or empty
    std::string persona;
};

using kvr::TextDecoder;

inline constexpr char kSteamExeBelowRoot[] = "\\steam.exe";
inline constexpr char kLibraryFoldersBelowRoot[] = "\\steamapps\\libraryfolders.vdf";
inline constexpr char kLoginUsersBelowRoot[] = "\\config\\loginusers.vdf";
inline constexpr char kGameExeBelowLibrary[] =
    "\\steamapps\\common\\EscapeTheHollowmaze\\EscapeTheHollowmaze\\Binaries\\Win64\\" KVR_GAME_EXE;
// Where the account file is looked for when the registry names no Steam.
inline constexpr char kDefaultSteamRoot[] = "C:\\Program Files (x86)\\Steam";

std::vector<std::string> read_quoted_tokens(std::string_view text);

// Backslashes only and no trailing separator (a drive root "C:\" becomes "C:").
std::string normalize_steam_path(std::string_view path);

// The root first, then every "path" value of libraryfolders.vdf not already listed. Paths that
// differ only in ASCII letter case or a trailing separator name the same folder on Windows and
// are listed once. An empty root gives an empty list.
std::vector<std::string> libraries_from_tokens(std::string_view steam_root,
                                               const std::vector<std::string>& tokens,
                                               TextDecoder decode);

// The most recent account of loginusers.vdf ("MostRecent" "1"), else the first account that
// has a persona name. Either field may come back empty.
SteamAccount account_from_tokens(const std::vector<std::string>& tokens, TextDecoder decode);
