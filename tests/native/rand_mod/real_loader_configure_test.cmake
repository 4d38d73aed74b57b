# The production build's choice of the loader's API, configured here with the windows-msvc
# preset's settings and a fake folder in the real loader's layout (the build itself needs MSVC
# and the real headers): only the mod library is built, against that folder's headers with its
# definitions, not against our stand-in, and with {fmt} as a package rather than a copy of the
# host's headers. A folder that lacks a piece,
# or a MinGW build against the real headers, is refused when configuring.
#   cmake -DKVR_SOURCE_DIR=<source> -DWORK=<scratch folder> -P real_loader_configure_test.cmake
set(sdk ${WORK}/ue4ss_sdk)
file(REMOVE_RECURSE ${WORK})
foreach(header Mod/CppUserModBase.hpp LuaMadeSimple/LuaMadeSimple.hpp
               DynamicOutput/DynamicOutput.hpp)
    file(WRITE ${sdk}/include/${header} "#pragma once\n")
endforeach()
file(WRITE ${sdk}/lib/UE4SS.lib "")

# The windows-msvc preset's cache variables; its generator and compiler exist only on Windows.
file(READ ${KVR_SOURCE_DIR}/CMakePresets.json presets)
string(JSON last LENGTH "${presets}" configurePresets)
math(EXPR last "${last} - 1")
set(preset_settings "")
foreach(i RANGE ${last})
    string(JSON name GET "${presets}" configurePresets ${i} name)
    if(name STREQUAL "windows-msvc")
        string(JSON settings GET "${presets}" configurePresets ${i} cacheVariables)
        string(JSON count LENGTH "${settings}")
        math(EXPR count "${count} - 1")
        foreach(j RANGE ${count})
            string(JSON key MEMBER "${settings}" ${j})
            string(JSON value GET "${settings}" ${key})
            list(APPEND preset_settings -D${key}=${value})
        endforeach()
    endif()
endforeach()
if(NOT preset_settings)
    message(FATAL_ERROR "CMakePresets.json has no windows-msvc preset with cache variables")
endif()

function(configure_mod build)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${KVR_SOURCE_DIR} -B ${WORK}/${build} -G Ninja
                            ${preset_settings} -DKVR_UE4SS_SDK_DIR=${sdk}
                            -DKVR_UE4SS_DEFINITIONS=KVR_FAKE_LOADER_DEFINE ${ARGN}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    set(result ${result} PARENT_SCOPE)
    set(output "${output}${errors}" PARENT_SCOPE)
endfunction()

# expect(<what went wrong> <condition>...)
function(expect what)
    if(NOT (${ARGN}))
        message(FATAL_ERROR "${what}\n${output}")
    endif()
endfunction()

configure_mod(real)
expect("configuring against the fake loader folder failed" result EQUAL 0)
file(READ ${WORK}/real/compile_commands.json commands)
string(FIND "${commands}" "rand_mod/rand_streams.cpp" streams)
string(FIND "${commands}" "-isystem ${sdk}/include" real_headers)
string(FIND "${commands}" "-DKVR_FAKE_LOADER_DEFINE" definitions)
string(FIND "${commands}" "rand_mod/ue4ss" stand_in)
string(FIND "${commands}" "fmt_include" copied_fmt)
string(FIND "${commands}" "launcher_core" programs)
expect("the mod library is not built" NOT streams EQUAL -1)
expect("the mod library does not include the loader folder's headers" NOT real_headers EQUAL -1)
expect("the loader's definitions are not passed on" NOT definitions EQUAL -1)
expect("the stand-in is still built or on the include path" stand_in EQUAL -1)
expect("{fmt} comes from a copy of the host's headers" copied_fmt EQUAL -1)
expect("the preset builds more than the mod library" programs EQUAL -1)

file(REMOVE ${sdk}/lib/UE4SS.lib)
configure_mod(incomplete)
string(FIND "${output}" "lacks lib/UE4SS.lib" named)
expect("a folder without the import library passed" NOT result EQUAL 0 AND NOT named EQUAL -1)

file(WRITE ${sdk}/lib/UE4SS.lib "")
configure_mod(mingw -DCMAKE_TOOLCHAIN_FILE=${KVR_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake)
string(FIND "${output}" "needs MSVC or clang-cl" named)
expect("a MinGW build against the real headers passed" NOT result EQUAL 0 AND NOT named EQUAL -1)
