#include "launcher_core/base/dated_names.h"

#include "launcher_core/base/format_text.h"

namespace {

std::string stamp(const std::tm& t) {
    return format_text("%04d%02d%02d_%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                       t.tm_hour, t.tm_min, t.tm_sec);
}

} // namespace

std::string pending_file_name(const std::tm& local) {
    return "p_" + stamp(local) + ".json";
}

std::string archived_file_name(const std::string& prefix, const std::tm& local) {
    return prefix + "_" + stamp(local) + ".json";
}

std::string numbered_variant(const std::string& name, int n) {
    const size_t dot = name.rfind('.');
    std::string suffix(1, '_');
    suffix += std::to_string(n);
    if (dot == std::string::npos) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

std::tm local_time_now() {
    const std::time_t now = std::time(nullptr);
    return *std::localtime(&now);
}
