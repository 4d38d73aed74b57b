# kvr_server_address_problem(<out> <url>): why <url> is no base address of a race server, empty
# when it is one. The launcher appends its endpoints to it ("/week/current", "/submit", ...), so
# it is http(s)://, a host name (letters, digits, '-', '.') or a [IPv6] address, an optional
# numeric port, and an optional path of plain segments that is not one of those endpoints (an
# address pasted from a browser). A trailing "/" is the caller's to drop.
function(kvr_server_address_problem out url)
    set(label "[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?")
    # The launcher's (launcher_core/server/, launcher_core/profile/ and launcher_core/result/).
    set(endpoints "week/current|submit|client/log|profile|leaderboard([.]txt|[.]tsv)?|board-data"
                  "|board-en")
    string(CONCAT endpoints ${endpoints})
    set(problem "")
    if(NOT url MATCHES "^https?://([^/]*)(.*)$")
        set(problem "it must start with https:// (or http://)")
    else()
        set(authority "${CMAKE_MATCH_1}")
        set(path "${CMAKE_MATCH_2}")
        set(port 1)
        if(authority MATCHES ":([0-9]+)$")
            set(port ${CMAKE_MATCH_1})
        endif()
        if(NOT authority MATCHES "^(${label}(\\.${label})*|\\[[0-9A-Fa-f:.]+\\])(:[0-9]+)?$")
            set(problem "the part after :// must be a host name (letters, digits, '-', '.') with "
                        "an optional :port")
        elseif(port EQUAL 0 OR port GREATER 65535)
            set(problem "its port is not 1 to 65535")
        elseif(NOT path MATCHES "^(/[A-Za-z0-9._~%-]+)*$")
            set(problem "its path must be plain segments (letters, digits, '.', '_', '~', '%', "
                        "'-') with no query")
        elseif(path MATCHES "/(${endpoints})$")
            set(problem "it ends in the launcher's endpoint ${CMAKE_MATCH_0}: name the server's "
                        "base address, the launcher adds the endpoints itself")
        endif()
    endif()
    if(problem)
        string(CONCAT problem "KVR_DEFAULT_SERVER (${url}) is no race server address: " ${problem}
                      " (like https://race.example.org)")
    endif()
    set(${out} "${problem}" PARENT_SCOPE)
endfunction()
