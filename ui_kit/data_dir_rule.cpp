#include "ui_kit/data_dir_rule.h"

namespace kvr::ui {

namespace {

template <class Char>
std::basic_string<Char> dir_from(std::basic_string_view<Char> base, const Char* below,
                                 const Char* fallback) {
    if (base.empty()) return fallback;
    return std::basic_string<Char>(base) + below;
}

template <class Char>
std::basic_string<Char> join(std::basic_string_view<Char> dir, std::basic_string_view<Char> name) {
    std::basic_string<Char> out(dir);
    out += Char('\\');
    out += name;
    return out;
}

} // namespace

std::string data_dir_from(std::string_view local_app_data) {
    return dir_from(local_app_data, "\\KVR-Race\\data", "C:\\KVR-race\\data");
}

std::wstring data_dir_from(std::wstring_view local_app_data) {
    return dir_from(local_app_data, L"\\KVR-Race\\data", L"C:\\KVR-race\\data");
}

std::string path_in(std::string_view dir, std::string_view name) {
    return join(dir, name);
}

std::wstring path_in(std::wstring_view dir, std::wstring_view name) {
    return join(dir, name);
}

} // namespace kvr::ui
