#include "launcher_core/base/config.h"

#include "common/text.h"
#include "common/utf8.h"

namespace {

void apply_setting(LauncherConfig& c, const std::string& key, const std::string& value,
                   kvr::TextDecoder decode) {
    struct Field {
        const char* key;
        std::string LauncherConfig::*field;
    };
    static const Field fields[] = {
        {"game", &LauncherConfig::game},
        {"receipt", &LauncherConfig::receipt},
        {"data", &LauncherConfig::data},
        {"server", &LauncherConfig::server},
        {"steam", &LauncherConfig::steam},
        {"appid", &LauncherConfig::appid},
        {"player", &LauncherConfig::player},
        {"difficulty", &LauncherConfig::difficulty},
        {"timer", &LauncherConfig::timer},
        {"install_from", &LauncherConfig::install_from},
        {"livesplit", &LauncherConfig::livesplit},
        {"livesplit_lss", &LauncherConfig::livesplit_lss},
    };
    if (key == "dryrun") {
        c.dryrun = value == "1";
        return;
    }
    for (const Field& f : fields) {
        if (key == f.key) {
            c.*(f.field) = decode ? decode(value) : value;
            return;
        }
    }
}

void apply_line(LauncherConfig& c, std::string_view raw, kvr::TextDecoder decode) {
    const std::string line = kvr::trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') return;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return;
    apply_setting(c, kvr::trim(std::string_view(line).substr(0, eq)),
                  kvr::trim(std::string_view(line).substr(eq + 1)), decode);
}

} // namespace

LauncherConfig parse_config(std::string_view text, kvr::TextDecoder decode) {
    constexpr size_t kPiece = 1023; // what one fgets call into 1024 bytes returns at most
    LauncherConfig c;
    text = kvr::strip_utf8_bom(text);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        const size_t len = end - pos < kPiece ? end - pos : kPiece;
        apply_line(c, text.substr(pos, len), decode);
        pos += len;
    }
    return c;
}

std::string expand_placeholders_with(std::string_view text, std::string_view app_dir,
                                     std::string_view local_data) {
    return kvr::replace_all(kvr::replace_all(text, "%APPDIR%", app_dir), "%LOCALDATA%", local_data);
}

std::string local_data_dir_from(std::string_view localappdata) {
    if (localappdata.empty()) return {};
    return std::string(localappdata) + "\\KVR-Race";
}
