// Timing program for the mod install over an unchanged package of a real package's size (300
// files, 30 MB): the cost every race run pays before the game starts. Usage:
//   kvr_install_bench.exe <work-folder> [runs]
// Builds the package and a game folder in <work-folder>, installs once, then prints the median
// of `runs` re-installs (default 21) and, as the baseline, of as many plain walks of the
// package tree, in milliseconds ("KVR_BENCH install_rerun_ms ...", "KVR_BENCH install_walk_ms").
#include "launcher_core/base/config.h"
#include "launcher_core/game/mod_install.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

#include "tests/bench/median_time.h"

#include <string>
#include <windows.h>

namespace {

void make_file(const std::string& path, size_t bytes, unsigned seed) {
    const size_t cut = path.find_last_of('\\');
    kvr::create_directories(path.substr(0, cut));
    std::string data(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    kvr::write_file(path, data);
}

// 300 files, about 30 MB, spread over the folders a real package has.
void make_package(const std::string& pkg) {
    make_file(pkg + "\\dwmapi.dll", 180 * 1024, 1);
    make_file(pkg + "\\ue4ss\\UE4SS.dll", 6 * 1024 * 1024, 2);
    make_file(pkg + "\\ue4ss\\Mods\\KVRWeekly\\Scripts\\main.lua", 40 * 1024, 3);
    make_file(pkg + "\\ue4ss\\Mods\\KVRWeekly\\enabled.txt", 0, 4);
    make_file(pkg + "\\ue4ss\\Mods\\KVRSRanked\\dlls\\main.dll", 1024 * 1024, 5);
    for (int i = 0; i < 19; ++i)
        make_file(pkg + "\\ue4ss\\Mods\\shared\\pak" + std::to_string(i) + ".bin", 1024 * 1024,
                  10 + i);
    for (int i = 0; i < 276; ++i)
        make_file(pkg + "\\ue4ss\\Mods\\mod" + std::to_string(i % 12) + "\\Scripts\\f" +
                      std::to_string(i) + ".lua",
                  14 * 1024, 100 + i);
}

// Every file of the tree, listed with its attributes: what any install must do at the least.
int walk(const std::wstring& dir) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int files = 0;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files += walk(dir + L"\\" + name);
        else
            ++files;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return files;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::string work = kvr::wide_to_utf8(argv[1]);
    const int runs = argc > 2 ? _wtoi(argv[2]) : 21;
    LauncherConfig cfg;
    cfg.install_from = work + "\\package";
    cfg.game = work + "\\game\\Binaries\\Win64\\Hollowmaze-Win64-Shipping.exe";
    kvr::create_directories(work + "\\game\\Binaries\\Win64");
    if (!kvr::path_exists(cfg.install_from + "\\dwmapi.dll")) make_package(cfg.install_from);
    install_and_verify_mod(cfg); // the first install copies everything

    kvr::bench::print_figure(
        "install_rerun_ms", kvr::bench::median_ms(runs, [&](int) { install_and_verify_mod(cfg); }));
    const std::wstring package = kvr::utf8_to_wide(cfg.install_from);
    int files = 0;
    kvr::bench::print_figure("install_walk_ms",
                             kvr::bench::median_ms(runs, [&](int) { files = walk(package); }));
    kvr::bench::print_figure("install_package_files", files);
    return 0;
}
