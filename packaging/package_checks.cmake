# The player package's checks of the organiser's inputs. A race package (one with
# KVR_MOD_BUILD_DIR) must hold every file the launcher's own check after the install asks for,
# where it looks for it, so a package that would greet every player with "mod install INCOMPLETE"
# is never made: a mistake stops the configure step, naming the cache variable to fix. A test
# package only warns. Used when configuring (packaging/CMakeLists.txt), when packaging
# (kvr_check_staged_package) and by the tests in script mode:
#   cmake -DKVR_SOURCE_DIR=<source> -DKVR_...=... -P package_checks.cmake   (prints the problems)

if(NOT KVR_SOURCE_DIR)
    set(KVR_SOURCE_DIR ${CMAKE_SOURCE_DIR})
endif()

# The launcher's list of required files (launcher_core/game/mod_package.h), relative to the game folder
# and so to the package's mod/ folder, with forward slashes.
function(kvr_required_mod_files out)
    file(READ ${KVR_SOURCE_DIR}/launcher_core/game/mod_package.h header)
    if(NOT header MATCHES "kRequiredModFiles = {([^}]*)}")
        message(FATAL_ERROR "launcher_core/game/mod_package.h no longer lists kRequiredModFiles")
    endif()
    string(REGEX MATCHALL "\"[^\"]+\"" quoted "${CMAKE_MATCH_1}")
    set(files "")
    foreach(entry ${quoted})
        string(REGEX REPLACE "^\"(\\\\\\\\)*|\"$" "" entry "${entry}")
        string(REPLACE "\\\\" "/" entry "${entry}")
        list(APPEND files "${entry}")
    endforeach()
    set(${out} "${files}" PARENT_SCOPE)
endfunction()

# Where each input lands in the package's mod/ folder: "<prefix>|<variable>", longest prefix first.
set(KVR_MOD_INPUTS "ue4ss/Mods/KVRWeekly/|KVR_WEEKLY_MOD_DIR" "|KVR_UE4SS_DIR" "|KVR_MOD_BUILD_DIR")

# kvr_missing_file_hint(<out> <dir> <relative path>): when the file is deeper down in <dir> (a
# folder one level too deep, say) or in its parent (one of the loader's own subfolders named),
# the folder the variable should name instead.
function(kvr_missing_file_hint out dir rel)
    set(${out} "" PARENT_SCOPE)
    get_filename_component(parent "${dir}" DIRECTORY)
    file(GLOB_RECURSE candidates LIST_DIRECTORIES false "${dir}/*/${rel}")
    if(candidates)
        list(GET candidates 0 found)
        string(LENGTH "/${rel}" tail)
        string(LENGTH "${found}" length)
        math(EXPR keep "${length} - ${tail}")
        string(SUBSTRING "${found}" 0 ${keep} where)
        set(${out} " (it is in ${where}: name that folder instead)" PARENT_SCOPE)
    elseif(EXISTS "${parent}/${rel}")
        set(${out} " (it is in ${parent}: name that folder instead)" PARENT_SCOPE)
    endif()
endfunction()

# kvr_xml_root(<out> <file>): the name of the file's first element, empty when it has none.
function(kvr_xml_root out file)
    file(READ "${file}" head LIMIT 4096)
    string(REGEX MATCH "<([A-Za-z_][A-Za-z0-9_.:-]*)" element "${head}")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# Adds one problem, written as several strings, to the caller's list `problems` (a function, not
# a macro: a macro would read the backslashes of a Windows path as escapes).
function(kvr_problem)
    string(CONCAT text ${ARGN})
    list(APPEND problems "${text}")
    set(problems "${problems}" PARENT_SCOPE)
endfunction()

# kvr_package_input_problems(<out>): every problem with the organiser's inputs, one sentence each
# (no semicolons: they are list items), naming the cache variable to fix. Reads the KVR_*
# variables of the caller.
function(kvr_package_input_problems out)
    set(problems "")
    set(race FALSE)
    if(KVR_MOD_BUILD_DIR)
        set(race TRUE)
    endif()

    # A path that is set must exist and be of its kind: a misspelt one is found now, not by players.
    foreach(var KVR_UE4SS_DIR KVR_WEEKLY_MOD_DIR KVR_LIVESPLIT_DIR KVR_MOD_BUILD_DIR)
        if(${var} AND NOT IS_DIRECTORY "${${var}}")
            kvr_problem("${var} (${${var}}) is no folder")
        endif()
    endforeach()
    # LiveSplit reads the splits from a <Run> document and the layout from a <Layout> one; the two
    # swapped, or another file named, would greet every player with an error box.
    foreach(input "KVR_SPLITS_FILE|Run|splits file" "KVR_LAYOUT_FILE|Layout|layout")
        string(REGEX MATCH "^([^|]*)[|]([^|]*)[|](.*)$" input "${input}")
        set(var ${CMAKE_MATCH_1})
        set(root ${CMAKE_MATCH_2})
        set(kind ${CMAKE_MATCH_3})
        if(NOT ${var})
            continue()
        elseif(NOT EXISTS "${${var}}" OR IS_DIRECTORY "${${var}}")
            kvr_problem("${var} (${${var}}) is no file")
            continue()
        endif()
        kvr_xml_root(found "${${var}}")
        if(NOT found STREQUAL root)
            if(found)
                set(found "its root element is <${found}>")
            else()
                set(found "it holds no XML element")
            endif()
            kvr_problem("${var} (${${var}}) is no LiveSplit ${kind}: ${found}, a ${kind}'s root "
                        "element is <${root}>")
        endif()
    endforeach()
    if(IS_DIRECTORY "${KVR_LIVESPLIT_DIR}" AND NOT EXISTS "${KVR_LIVESPLIT_DIR}/LiveSplit.exe")
        kvr_missing_file_hint(hint "${KVR_LIVESPLIT_DIR}" LiveSplit.exe)
        kvr_problem("KVR_LIVESPLIT_DIR (${KVR_LIVESPLIT_DIR}) has no LiveSplit.exe${hint}, "
                    "which the launcher starts as LiveSplit\\LiveSplit.exe in the package")
    endif()

    # The launcher expands only these two in launcher.ini (launcher_core/base/config.h).
    string(REGEX REPLACE "%(APPDIR|LOCALDATA)%" "" unknown "${KVR_RECEIPT_PATH}")
    if(unknown MATCHES "%[^%]+%")
        kvr_problem("KVR_RECEIPT_PATH (${KVR_RECEIPT_PATH}) uses ${CMAKE_MATCH_0}, which the "
                    "launcher does not expand: it knows only %APPDIR% (the programs' folder) and "
                    "%LOCALDATA% (the player's LOCALAPPDATA folder followed by \\KVR-Race)")
    endif()

    if(race)
        foreach(var KVR_UE4SS_DIR KVR_WEEKLY_MOD_DIR KVR_SPLITS_FILE KVR_LAYOUT_FILE)
            if(NOT ${var})
                kvr_problem("${var} is not set: a race package needs it")
            endif()
        endforeach()
        foreach(rel ue4ss/Mods/KVRSRanked/dlls/main.dll ue4ss/UE4SS.dll)
            if(IS_DIRECTORY "${KVR_MOD_BUILD_DIR}" AND NOT EXISTS "${KVR_MOD_BUILD_DIR}/${rel}")
                kvr_missing_file_hint(hint "${KVR_MOD_BUILD_DIR}" "${rel}")
                kvr_problem("KVR_MOD_BUILD_DIR (${KVR_MOD_BUILD_DIR}) has no ${rel}${hint}, "
                                     "it must name the windows-msvc build's mod_package folder")
            endif()
        endforeach()
    endif()

    # The launcher's required files, each from the input that puts it there.
    kvr_required_mod_files(required)
    foreach(rel ${required})
        if(race AND rel STREQUAL "ue4ss/UE4SS.dll")
            continue() # a race package's UE4SS.dll comes from KVR_MOD_BUILD_DIR, checked above
        endif()
        set(found FALSE)
        set(owner "")
        foreach(input ${KVR_MOD_INPUTS})
            string(REGEX MATCH "^([^|]*)[|](.*)$" input "${input}")
            set(prefix "${CMAKE_MATCH_1}")
            set(var "${CMAKE_MATCH_2}")
            if(NOT rel MATCHES "^${prefix}")
                continue()
            endif()
            string(LENGTH "${prefix}" skip)
            string(SUBSTRING "${rel}" ${skip} -1 inner)
            if(NOT owner)
                set(owner ${var})
                set(owner_inner ${inner})
            endif()
            if(${var} AND EXISTS "${${var}}/${inner}")
                set(found TRUE)
            endif()
        endforeach()
        # An empty file (a failed copy, a script not written yet) is as bad as none, except the
        # loader's enabled.txt: a marker, whose content does not matter.
        set(path "${${owner}}/${owner_inner}")
        if(${owner} AND EXISTS "${path}" AND NOT IS_DIRECTORY "${path}"
           AND NOT rel MATCHES "/enabled.txt$")
            file(SIZE "${path}" size)
            if(size EQUAL 0)
                kvr_problem("${owner} (${${owner}}) has an empty ${owner_inner}, which the "
                            "launcher needs as ${rel} in the game folder")
            endif()
        endif()
        if(found)
            continue()
        endif()
        if(${owner})
            if(IS_DIRECTORY "${${owner}}") # a folder that does not exist is reported above
                kvr_missing_file_hint(hint "${${owner}}" "${owner_inner}")
                kvr_problem("${owner} (${${owner}}) has no ${owner_inner}${hint}, which "
                                     "the launcher needs as ${rel} in the game folder")
            endif()
        elseif(race)
            # Already reported as not set.
        else()
            kvr_problem("the mod folder lacks ${rel} (${owner} is not set)")
        endif()
    endforeach()
    # Loader builds before May 2024 (the tag v3.0.1 among them) keep UE4SS.dll, its settings and
    # Mods\ beside the game executable, and their proxy loads UE4SS.dll only from there; the
    # launcher installs and checks ue4ss\UE4SS.dll, where later builds keep it. Without dwmapi.dll
    # beside them the folder named is rather the loader's ue4ss folder itself, which the missing
    # dwmapi.dll reports with the folder to name instead.
    foreach(flat UE4SS.dll UE4SS-settings.ini Mods)
        if(KVR_UE4SS_DIR AND EXISTS "${KVR_UE4SS_DIR}/dwmapi.dll"
           AND EXISTS "${KVR_UE4SS_DIR}/${flat}")
            kvr_problem("KVR_UE4SS_DIR (${KVR_UE4SS_DIR}) holds ${flat} beside dwmapi.dll: a "
                        "loader build from before its ue4ss folder (May 2024), whose proxy would not "
                        "load the ue4ss/UE4SS.dll the launcher installs (rand_mod/README.md)")
            break()
        endif()
    endforeach()
    set(${out} "${problems}" PARENT_SCOPE)
endfunction()

# kvr_check_staged_package(<package root>): the same list checked in the staged package itself,
# when it is put together (install(CODE ...) at the end of packaging).
function(kvr_check_staged_package root)
    kvr_required_mod_files(required)
    set(missing "")
    foreach(rel ${required})
        if(NOT EXISTS "${root}/mod/${rel}")
            list(APPEND missing "mod/${rel}")
        endif()
    endforeach()
    if(missing)
        list(JOIN missing ", " missing)
        message(FATAL_ERROR "The package would lack ${missing}, which the launcher checks after "
                            "the install: see the organiser inputs in README.md.")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    kvr_package_input_problems(problems)
    foreach(problem ${problems})
        message("problem: ${problem}")
    endforeach()
endif()
