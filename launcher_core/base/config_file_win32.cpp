// Reading launcher.ini from disk and the placeholders that depend on the environment.
#include "launcher_core/base/config_file.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

LauncherConfig load_config(const std::string& path) {
    std::string text;
    if (!kvr::read_file(path, text)) return LauncherConfig{};
    // Text mode reading: a carriage return before a line feed is dropped by the trims anyway.
    return parse_config(text, kvr::external_to_utf8);
}

std::string expand_placeholders(std::string_view text, std::string_view app_dir) {
    return expand_placeholders_with(text, app_dir,
                                    local_data_dir_from(kvr::env_utf8(L"LOCALAPPDATA")));
}
