# Each mistake an organiser makes with the race package's inputs is one problem naming the cache
# variable to fix; a complete set of inputs has none.
#   cmake -DKVR_SOURCE_DIR=<source> -DWORK=<scratch folder> -P package_inputs_test.cmake
include(${KVR_SOURCE_DIR}/packaging/package_checks.cmake)
include(${KVR_SOURCE_DIR}/packaging/stage_input.cmake)
include(${KVR_SOURCE_DIR}/cmake/kvr_server_address.cmake)

file(REMOVE_RECURSE ${WORK})
foreach(file build/ue4ss/UE4SS.dll build/ue4ss/Mods/KVRSRanked/dlls/main.dll
             loader/dwmapi.dll loader/ue4ss/UE4SS-settings.ini weekly/Scripts/main.lua)
    file(WRITE ${WORK}/${file} "stand-in")
endforeach()
file(WRITE ${WORK}/weekly/enabled.txt "") # the loader's marker: empty is normal
# As LiveSplit saves them: a byte order mark, the XML declaration, then the root element.
string(ASCII 239 187 191 bom)
set(declaration "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")
file(WRITE ${WORK}/race.lss "${bom}${declaration}<Run version=\"1.7.0\"><GameName/></Run>")
file(WRITE ${WORK}/mirelle.lsl "${bom}${declaration}<Layout version=\"1.6.1\"><Mode/></Layout>")

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
set(KVR_UE4SS_DIR ${WORK}/unpacked/UE4SS_v3.0.1/ue4ss)
expect_problems("the loader's own ue4ss folder named (not an old loader build)"
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

# Files that are there but wrong: the week's script and the loader's proxy left empty (a failed
# copy), the splits and layout swapped, a receipt path with a variable the launcher keeps as it is.
set_good_inputs()
set(KVR_UE4SS_DIR ${WORK}/unpacked/UE4SS_v3.0.1)
file(WRITE ${WORK}/weekly/Scripts/main.lua "")
file(WRITE ${KVR_UE4SS_DIR}/dwmapi.dll "")
set(KVR_SPLITS_FILE ${WORK}/mirelle.lsl)
set(KVR_LAYOUT_FILE ${WORK}/race.lss)
set(KVR_RECEIPT_PATH "%LOCALAPPDATA%\\KVR-Race\\data\\receipt.json")
expect_problems("empty files, splits and layout swapped, a Windows variable in the receipt path"
    "^KVR_SPLITS_FILE .* is no LiveSplit splits file: its root element is <Layout>, a splits file's root element is <Run>$"
    "^KVR_LAYOUT_FILE .* is no LiveSplit layout: its root element is <Run>,"
    "^KVR_RECEIPT_PATH .* uses %LOCALAPPDATA%, .* only %APPDIR% .* and %LOCALDATA% "
    "^KVR_UE4SS_DIR .* has an empty dwmapi.dll,"
    "^KVR_WEEKLY_MOD_DIR .* has an empty Scripts/main.lua,")
file(WRITE ${WORK}/weekly/Scripts/main.lua "stand-in")
file(WRITE ${KVR_UE4SS_DIR}/dwmapi.dll "stand-in")
set(KVR_RECEIPT_PATH "%LOCALDATA%\\data\\receipt.json")
set_good_inputs()
set(KVR_UE4SS_DIR ${WORK}/unpacked/UE4SS_v3.0.1)

# LiveSplit's zip unpacked with its own top folder.
file(WRITE ${WORK}/livesplit/LiveSplit_1.8.29/LiveSplit.exe "stand-in")
set(KVR_LIVESPLIT_DIR ${WORK}/livesplit)
expect_problems("LiveSplit folder one level too deep"
    "^KVR_LIVESPLIT_DIR .* has no LiveSplit.exe \\(it is in .*/livesplit/LiveSplit_1.8.29: name that")
set(KVR_LIVESPLIT_DIR "")

# The race server's base address, not one pasted twice, mistyped, without a host, with an empty
# port, two joined, or with an endpoint of the launcher pasted in.
foreach(url https://race.example.org http://127.0.0.1:8080 https://example.org/race/v2
            https://[::1]:8443)
    kvr_server_address_problem(problem ${url})
    if(problem)
        message(FATAL_ERROR "a good server address refused: ${problem}")
    endif()
endforeach()
foreach(url https://https://race.example.org https://race,example.org https://:443
            https://race.example.org: "https://a.example.org,https://b.example.org"
            https://race.example.org/week/current)
    kvr_server_address_problem(problem ${url})
    if(NOT problem MATCHES "^KVR_DEFAULT_SERVER \\(.*\\) is no race server address: ")
        message(FATAL_ERROR "${url} taken as a server address")
    endif()
endforeach()

# Links among the inputs (a "current week" link to a file or folder, relative or absolute) are
# staged as what they point to: the zip would hold the links, small files on Windows.
file(MAKE_DIRECTORY ${WORK}/links/Scripts)
file(CREATE_LINK ../../weekly/Scripts/main.lua ${WORK}/links/Scripts/main.lua SYMBOLIC)
file(CREATE_LINK ${WORK}/unpacked ${WORK}/links/loader SYMBOLIC)
file(CREATE_LINK ${WORK}/race.lss ${WORK}/current.lss SYMBOLIC)
kvr_stage_input(${WORK}/links ${WORK}/staged/mod)
kvr_stage_input(${WORK}/current.lss ${WORK}/staged/race.lss)
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${WORK}/staged/*)
foreach(entry ${staged})
    if(IS_SYMLINK ${entry})
        message(FATAL_ERROR "staged as a link: ${entry}")
    endif()
endforeach()
file(READ ${WORK}/staged/mod/Scripts/main.lua script)
file(READ ${WORK}/staged/race.lss splits)
if(NOT script STREQUAL "stand-in" OR NOT splits MATCHES "<Run "
   OR NOT EXISTS ${WORK}/staged/mod/loader/UE4SS_v3.0.1/ue4ss/UE4SS-settings.ini)
    message(FATAL_ERROR "staged links without their content: ${staged}")
endif()

# A test package (no mod build) lists what players would miss, naming the variable.
set(KVR_MOD_BUILD_DIR "")
set(KVR_UE4SS_DIR "")
set(KVR_SPLITS_FILE "")
set(KVR_LAYOUT_FILE "")
expect_problems("test package without a loader folder"
    "^the mod folder lacks dwmapi.dll \\(KVR_UE4SS_DIR is not set\\)$"
    "^the mod folder lacks ue4ss/UE4SS.dll \\(KVR_UE4SS_DIR is not set\\)$")
