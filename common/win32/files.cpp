#include "common/win32/files.h"

#include "common/win32/scoped_handle.h"
#include "common/win32/wide.h"

#include <algorithm>
#include <windows.h>

namespace kvr {

FILE* open_file(const std::string& path, const char* mode) {
    return _wfopen(utf8_to_wide(path).c_str(), utf8_to_wide(mode).c_str());
}

namespace {

// Closes the file after a failed call, leaving the thread's last error at that call's code.
bool failed(ScopedFile& f) {
    const DWORD error = GetLastError();
    f.reset();
    SetLastError(error);
    return false;
}

} // namespace

bool read_file(const std::string& path, std::string& out, size_t max_bytes) {
    out.clear();
    // Others may go on reading and writing it, or replace it by a rename (as we replace ours).
    ScopedFile f(CreateFileW(utf8_to_wide(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f) return false;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f.get(), &size) && size.QuadPart > 0)
        out.reserve(static_cast<size_t>(std::min<unsigned long long>(size.QuadPart, max_bytes)));
    char buf[65536];
    while (out.size() < max_bytes) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof buf, max_bytes - out.size()));
        if (!ReadFile(f.get(), buf, want, &got, nullptr)) return failed(f);
        if (got == 0) break;
        out.append(buf, got);
    }
    return true;
}

bool write_file(const std::string& path, std::string_view data) {
    ScopedFile f(CreateFileW(utf8_to_wide(path).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD written = 0;
    if (data.empty() ||
        (WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size()))
        return true;
    return failed(f);
}

namespace {

// A file another program has open, even for a moment (the overlay polling a board file, a virus
// scanner looking at a fresh file), cannot be replaced, moved or deleted: the call is tried again
// for about a second before it counts as failed.
template <typename Call> bool retried(Call call) {
    constexpr int kRetries = 10;
    for (int retry = 0;; ++retry) {
        if (call()) return true;
        const DWORD error = GetLastError();
        if (retry == kRetries || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return false;
        Sleep(100);
    }
}

bool rename_over(const std::wstring& from, const std::wstring& to) {
    return retried([&] {
        return MoveFileExW(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
}

} // namespace

bool write_file_atomic(const std::string& path, std::string_view data) {
    const std::wstring tmp = utf8_to_wide(path + ".tmp");
    ScopedFile f(CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD written = 0;
    const bool whole =
        (data.empty() ||
         (WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
          written == data.size())) &&
        FlushFileBuffers(f.get());
    if (!whole) failed(f);
    f.reset();
    if (whole && rename_over(tmp, utf8_to_wide(path))) return true;
    // The caller reads why it failed, not how the clean-up went.
    const DWORD error = GetLastError();
    DeleteFileW(tmp.c_str());
    SetLastError(error);
    return false;
}

bool path_exists(const std::string& path) {
    return GetFileAttributesW(utf8_to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool is_directory(const std::string& path) {
    const DWORD a = GetFileAttributesW(utf8_to_wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool delete_file(const std::string& path) {
    const std::wstring wide = utf8_to_wide(path);
    return retried([&] { return DeleteFileW(wide.c_str()) != 0; });
}

bool move_file(const std::string& from, const std::string& to) {
    const std::wstring wfrom = utf8_to_wide(from), wto = utf8_to_wide(to);
    return retried([&] {
        return MoveFileExW(wfrom.c_str(), wto.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    });
}

bool create_directories(const std::string& path) {
    std::string p = path;
    while (!p.empty() && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    if (p.empty() || is_directory(p)) return !p.empty();
    const size_t cut = p.find_last_of("\\/");
    // Stop at a drive root ("C:") or a relative first component.
    if (cut != std::string::npos && cut > 0 && p[cut - 1] != ':' && p.substr(0, cut) != "\\")
        create_directories(p.substr(0, cut));
    CreateDirectoryW(utf8_to_wide(p).c_str(), nullptr);
    return is_directory(p);
}

std::vector<std::string> list_files(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    const ScopedFind listing(FindFirstFileW(utf8_to_wide(pattern).c_str(), &fd));
    if (!listing) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(wide_to_utf8(fd.cFileName));
    } while (FindNextFileW(listing.get(), &fd));
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
unsigned long long file_time_value(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
} // namespace

unsigned long long last_write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(utf8_to_wide(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return file_time_value(data.ftLastWriteTime);
}

std::string module_directory() {
    wchar_t buf[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
    std::string path = wide_to_utf8(std::wstring_view(buf, n));
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

} // namespace kvr
