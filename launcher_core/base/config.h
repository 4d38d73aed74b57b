// launcher.ini: the launcher core's one configuration file.
//
// Contract: lines are read as fgets would with a 1024-byte buffer (a longer line is taken in
// 1023-byte pieces, each a line of its own); each is trimmed of blanks, tabs, CR and LF; empty
// lines and lines starting with '#' or ';' are skipped; the key is the text before the first
// '=' and the value the text after it, both trimmed. Keys are case-sensitive; unknown keys are
// ignored; the last occurrence wins. `dryrun` is true only for the exact value "1". A leading
// UTF-8 byte-order mark is ignored. Each value is passed through `decode` when one is given, else
// kept as the file's bytes. No byte of a double-byte ANSI character (GBK, Big5, Shift-JIS) is a
// blank, '=', '#' or ';', so a file saved in such a code page splits correctly before decoding.
#pragma once
#include "common/utf8.h"

#include <string>
#include <string_view>

struct LauncherConfig {
    std::string game;
    std::string receipt;
    std::string data;
    std::string server;
    std::string steam;
    std::string appid;
    std::string player;
    std::string difficulty;
    bool player_from_steam = false;
    std::string timer;
    std::string install_from;
    bool dryrun = false;
    std::string livesplit;
    std::string livesplit_lss;
};

LauncherConfig parse_config(std::string_view text, kvr::TextDecoder decode = nullptr);

// "%APPDIR%" then "%LOCALDATA%", each replaced left to right without re-scanning inserted text.
// `app_dir` ends with a backslash; `local_data` is the KVR-Race folder or empty.
std::string expand_placeholders_with(std::string_view text, std::string_view app_dir,
                                     std::string_view local_data);

// The KVR-Race folder below a LOCALAPPDATA value, or empty when the value is empty.
std::string local_data_dir_from(std::string_view localappdata);
