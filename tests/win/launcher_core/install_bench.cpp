// Timing program for the mod install over an unchanged package of a real package's size (300
// files, 30 MB): the cost every race run pays before the game starts. Usage:
//   kvr_install_bench.exe <work-folder> [runs]
// Builds the package and a game folder in <work-folder>, installs once, then times `runs`
// re-installs (default 21) and prints each time and the median in milliseconds.
#include "launcher_core/config.h"
#include "launcher_core/mod_install.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
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

double now_ms() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
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

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = now_ms();
        install_and_verify_mod(cfg);
        times.push_back(now_ms() - start);
    }
    for (double t : times)
        fprintf(stderr, "run_ms=%.1f\n", t);
    std::sort(times.begin(), times.end());
    fprintf(stderr, "median_ms=%.1f\n", times[times.size() / 2]);
    return 0;
}
