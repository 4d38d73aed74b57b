// Files by UTF-8 path, through the wide Windows calls. A call that fails returns false (or an
// empty result) and leaves the system's reason in GetLastError(), which kvr::error_text turns
// into the words of a log line; no clean-up after the failure overwrites it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kvr {

FILE* open_file(const std::string& path, const char* mode);

// Whole-file read (at most `max_bytes` of it); false when the file cannot be opened.
bool read_file(const std::string& path, std::string& out, size_t max_bytes = SIZE_MAX);
// Whole-file replacement in binary mode (create or truncate, write, close).
bool write_file(const std::string& path, std::string_view data);
// For files that are the only copy of something: write a temporary file beside the target,
// then rename it over the target, so a crash leaves either the old or the new content.
bool write_file_atomic(const std::string& path, std::string_view data);

bool path_exists(const std::string& path); // file or directory
bool is_directory(const std::string& path);
// Both are tried again for about a second while another program has the file open.
bool delete_file(const std::string& path);
bool move_file(const std::string& from, const std::string& to);
// Creates the directory and every missing parent; true when it exists afterwards.
bool create_directories(const std::string& path);
// Names (not paths) of the plain files matching a pattern such as "dir\\*.json", sorted.
std::vector<std::string> list_files(const std::string& pattern);

// The file's last write time in 100 ns units since 1601 (UTC), or 0 when it cannot be read or the
// file system keeps none. Read from the directory entry, so a file held open by another program
// still has one.
unsigned long long last_write_time(const std::string& path);

// Directory of the running executable, ending with a backslash.
std::string module_directory();

} // namespace kvr
