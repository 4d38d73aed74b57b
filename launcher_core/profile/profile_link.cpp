#include "launcher_core/profile/profile_link.h"

#include "common/json_text.h"

#ifndef KVR_DEFAULT_SERVER
#define KVR_DEFAULT_SERVER "https://race.kvr.example"
#endif

std::string_view default_server_base() {
    return KVR_DEFAULT_SERVER;
}

std::string profile_page_url(std::string_view base, std::string_view token) {
    std::string url = std::string(base) + "/profile";
    if (!token.empty()) url += "?token=" + kvr::percent_encode(token);
    return url;
}
