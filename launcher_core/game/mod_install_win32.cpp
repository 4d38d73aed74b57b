#include "launcher_core/game/mod_install.h"

#include "launcher_core/base/format_text.h"
#include "launcher_core/base/log.h"
#include "launcher_core/base/message_box.h"
#include "launcher_core/game/mod_package.h"

#include "common/win32/files.h"
#include "common/win32/scoped_handle.h"
#include "common/win32/wide.h"
#include "common/win32/win_error.h"

#include <cstring>
#include <vector>
#include <windows.h>

namespace {

// A file opened for reading that others may go on using.
kvr::ScopedFile open_to_read(const std::wstring& path) {
    return kvr::ScopedFile(CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Fills `buf` with the next `n` bytes; false at a short read (the file changed meanwhile).
bool read_block(const kvr::ScopedFile& f, char* buf, DWORD n) {
    DWORD got = 0;
    return ReadFile(f.get(), buf, n, &got, nullptr) && got == n;
}

// Byte-for-byte comparison of two files already known to have `size` bytes each, read in
// blocks: with files of a few kilobytes, as most of a package is, plain reads cost Windows (and
// Wine's server) far fewer calls than mapping each file. Anything that cannot be read counts as
// different, so the file is copied again.
bool same_content(const std::wstring& a, const std::wstring& b, unsigned long long size) {
    if (size == 0) return true;
    const kvr::ScopedFile fa = open_to_read(a), fb = open_to_read(b);
    if (!fa || !fb) return false;
    constexpr DWORD kBlock = 256 * 1024;
    static std::vector<char> ba(kBlock), bb(kBlock);
    for (unsigned long long left = size; left > 0;) {
        const DWORD n = static_cast<DWORD>(left < kBlock ? left : kBlock);
        if (!read_block(fa, ba.data(), n) || !read_block(fb, bb.data(), n) ||
            std::memcmp(ba.data(), bb.data(), n) != 0)
            return false;
        left -= n;
    }
    return true;
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
    const kvr::ScopedFind listing(FindFirstFileW(kvr::utf8_to_wide(from + "\\*").c_str(), &entry));
    if (!listing) return;
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
    } while (FindNextFileW(listing.get(), &entry));
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
