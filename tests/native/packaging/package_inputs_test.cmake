# Each mistake an organiser makes with the race package's inputs is one problem naming the cache
# variable to fix; a complete set of inputs has none.
#   cmake -DKVR_SOURCE_DIR=<source> -DWORK=<scratch folder> -P package_inputs_test.cmake
include(${KVR_SOURCE_DIR}/packaging/package_checks.cmake)

file(REMOVE_RECURSE ${WORK})
foreach(file build/ue4ss/UE4SS.dll build/ue4ss/Mods/KVRSRanked/dlls/main.dll
             loader/dwmapi.dll loader/ue4ss/UE4SS-settings.ini
             weekly/Scripts/main.lua weekly/enabled.txt race.lss mirelle.lsl)
    file(WRITE ${WORK}/${file} "")
endforeach()

function(set_good_inputs)
    set(KVR_MOD_BUILD_DIR ${WORK}/build PARENT_SCOPE)
    set(KVR_UE4SS_DIR ${WORK}/loader PARENT_SCOPE)
    set(KVR_WEEKLY_MOD_DIR ${WORK}/weekly PARENT_SCOPE)
    set(KVR_SPLITS_FILE ${WORK}/race.lss PARENT_SCOPE)
    set(KVR_LAYOUT_FILE ${WORK}/mirelle.lsl PARENT_SCOPE)
endfunction()

# expect_problems(<what> <pattern>...): the inputs give exactly one problem per pattern, in order.
function(expect_problems what)
    kvr_package_input_problems(problems)
    list(LENGTH problems got)
    list(LENGTH ARGN wanted)
    set(ok TRUE)
    if(NOT got EQUAL wanted)
        set(ok FALSE)
    endif()
    set(i 0)
    foreach(pattern ${ARGN})
        if(ok)
            list(GET problems ${i} problem)
            if(NOT problem MATCHES "${pattern}")
                set(ok FALSE)
            endif()
        endif()
        math(EXPR i "${i} + 1")
    endforeach()
    if(NOT ok)
        list(JOIN problems "\n  " problems)
        message(FATAL_ERROR "${what}: got\n  ${problems}")
    endif()
endfunction()

kvr_required_mod_files(required)
if(NOT required STREQUAL "dwmapi.dll;ue4ss/UE4SS.dll;ue4ss/Mods/KVRWeekly/Scripts/main.lua;ue4ss/Mods/KVRWeekly/enabled.txt")
    message(FATAL_ERROR "the launcher's required files read as: ${required}")
endif()

set_good_inputs()
expect_problems("complete race inputs")

# The loader's release zip unpacked with its own top folder: the folder one level too deep.
file(MAKE_DIRECTORY ${WORK}/unpacked)
file(RENAME ${WORK}/loader ${WORK}/unpacked/UE4SS_v3.0.1)
set(KVR_UE4SS_DIR ${WORK}/unpacked)
expect_problems("loader folder one level too deep"
    "^KVR_UE4SS_DIR .* has no dwmapi.dll \\(it is in .*/unpacked/UE4SS_v3.0.1: name that folder")
set(KVR_UE4SS_DIR ${WORK}/unpacked/UE4SS_v3.0.1)

# The loader's files as its old releases lay them out (everything beside dwmapi.dll).
file(WRITE ${WORK}/unpacked/UE4SS_v3.0.1/UE4SS-settings.ini "")
expect_problems("a loader build without the ue4ss folder"
    "^KVR_UE4SS_DIR .* holds UE4SS-settings.ini beside dwmapi.dll: a loader build from before")
file(REMOVE ${WORK}/unpacked/UE4SS_v3.0.1/UE4SS-settings.ini)

set(KVR_WEEKLY_MOD_DIR ${WORK}/weekyl)
expect_problems("misspelt script folder" "^KVR_WEEKLY_MOD_DIR .*/weekyl\\) is no folder$")
set_good_inputs()
set(KVR_UE4SS_DIR ${WORK}/unpacked/UE4SS_v3.0.1)

set(KVR_SPLITS_FILE "")
set(KVR_LAYOUT_FILE ${WORK}/weekly)
expect_problems("no splits file, a folder for the layout"
    "^KVR_LAYOUT_FILE .* is no file$" "^KVR_SPLITS_FILE is not set: a race package needs it$")
set_good_inputs()
set(KVR_UE4SS_DIR ${WORK}/unpacked/UE4SS_v3.0.1)

# The build folder itself instead of its mod_package folder.
set(KVR_MOD_BUILD_DIR ${WORK})
expect_problems("build folder instead of mod_package"
    "^KVR_MOD_BUILD_DIR .* has no ue4ss/Mods/KVRSRanked/dlls/main.dll \\(it is in .*/build:"
    "^KVR_MOD_BUILD_DIR .* has no ue4ss/UE4SS.dll \\(it is in .*/build:")

# A test package (no mod build) lists what players would miss, naming the variable.
set(KVR_MOD_BUILD_DIR "")
set(KVR_UE4SS_DIR "")
set(KVR_SPLITS_FILE "")
set(KVR_LAYOUT_FILE "")
expect_problems("test package without a loader folder"
    "^the mod folder lacks dwmapi.dll \\(KVR_UE4SS_DIR is not set\\)$"
    "^the mod folder lacks ue4ss/UE4SS.dll \\(KVR_UE4SS_DIR is not set\\)$")
