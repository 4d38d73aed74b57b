#include "launcher_core/game/mod_package.h"

std::string game_directory_of(std::string_view game_path) {
    const size_t cut = game_path.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? game_path : game_path.substr(0, cut));
}

std::string mod_install_warning_text(std::string_view missing_list, std::string_view game_dir) {
    std::string text = "计时 mod 没有装完整，缺少这些文件：\n\n";
    text += missing_list;
    text += "\n最常见原因：杀毒软件把 dwmapi.dll 当成病毒删掉了。\n\n"
            "解决办法：\n1. 把游戏目录加入杀毒软件/Defender 的排除项\n"
            "2. 重新解压玩家包，再双击启动器\n\n游戏目录：\n";
    text += game_dir;
    return text;
}
