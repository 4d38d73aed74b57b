#include "launcher_core/mod_install.h"

#include "launcher_core/format_text.h"
#include "launcher_core/log.h"
#include "launcher_core/message_box.h"
#include "launcher_core/mod_package.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "common/win32/win_error.h"

#include <cstring>
#include <windows.h>

namespace {

// A read-only view of a whole file; empty files and failures give no view.
struct MappedFile {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    const void* view = nullptr;

    // No view unless the file still has the expected size: it may have changed since it was
    // listed, and comparing past the end of a shorter view would read unmapped memory.
    MappedFile(const std::wstring& path, unsigned long long expected_size) {
        file = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file, &size) ||
            static_cast<unsigned long long>(size.QuadPart) != expected_size)
            return;
        mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping) view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    }
    ~MappedFile() {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

// Byte-for-byte comparison of two files already known to have `size` bytes each. Mapped views
// save copying every byte through a buffer (the install runs before every race). Anything that
// cannot be read counts as different, so the file is copied again.
bool same_content(const std::wstring& a, const std::wstring& b, unsigned long long size) {
    if (size == 0) return true;
    MappedFile fa(a, size), fb(b, size);
    return fa.view && fb.view && std::memcmp(fa.view, fb.view, size) == 0;
}

// An installed file is kept only when it holds exactly the package's bytes: a size check alone
// would keep an older script that happens to have the new one's length.
bool already_installed(const WIN32_FIND_DATAW& source, const std::wstring& src,
                       const std::wstring& dst) {
    WIN32_FILE_ATTRIBUTE_DATA installed;
    if (!GetFileAttributesExW(dst.c_str(), GetFileExInfoStandard, &installed)) return false;
    if (installed.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    const unsigned long long size =
        (static_cast<unsigned long long>(source.nFileSizeHigh) << 32) | source.nFileSizeLow;
    return installed.nFileSizeHigh == source.nFileSizeHigh &&
           installed.nFileSizeLow == source.nFileSizeLow && same_content(src, dst, size);
}

} // namespace

void copy_tree(const std::string& from, const std::string& to) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(kvr::utf8_to_wide(from + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    CreateDirectoryW(kvr::utf8_to_wide(to).c_str(), nullptr);
    int copied = 0;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string src = from + "\\" + kvr::wide_to_utf8(name);
        const std::string dst = to + "\\" + kvr::wide_to_utf8(name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            copy_tree(src, dst);
            continue;
        }
        const std::wstring wsrc = kvr::utf8_to_wide(src), wdst = kvr::utf8_to_wide(dst);
        if (already_installed(entry, wsrc, wdst)) continue;
        // A file in use (a game still running, a virus scanner) or marked read-only keeps its old
        // content, which the check after the install cannot see: the log must say so.
        if (CopyFileW(wsrc.c_str(), wdst.c_str(), FALSE)) {
            ++copied;
        } else {
            const unsigned long error = GetLastError();
            log_line("could not install %s (%s)", log_safe(dst).c_str(),
                     kvr::error_text(error).c_str());
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    if (copied > 0) log_line("installed %d files into %s", copied, log_safe(to).c_str());
}

void install_and_verify_mod(const LauncherConfig& cfg) {
    const std::string game_dir = game_directory_of(cfg.game);
    if (!kvr::is_directory(game_dir) || !kvr::is_directory(cfg.install_from)) {
        log_line("install skipped (game or package path missing)");
        return;
    }
    log_line("installing mod files from package...");
    copy_tree(cfg.install_from, game_dir);

    int missing = 0;
    std::string missing_list;
    for (std::string_view relative : kRequiredModFiles) {
        if (kvr::path_exists(game_dir + std::string(relative))) continue;
        ++missing;
        missing_list.append(relative).append("\n");
        log_line("MISSING after install: %.*s", static_cast<int>(relative.size()), relative.data());
    }
    if (missing == 0) {
        log_line("mod install verified OK (4/4 files)");
        return;
    }
    log_line("mod install INCOMPLETE (%d missing)", missing);
    show_message_box(mod_install_warning_text(missing_list, game_dir), BoxIcon::error);
}
