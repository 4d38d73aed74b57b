# The production build's use of the real loader, configured here with the windows-msvc preset's
# settings and a fake loader checkout (the build itself needs MSVC and the real loader): only the
# mod library is configured, linked to the checkout's UE4SS target (whose headers, definitions
# and {fmt} it takes), not against our stand-in nor a copy of the host's {fmt}. A checkout
# without that target, or a MinGW build against the real loader, is refused when configuring.
#   cmake -DKVR_SOURCE_DIR=<source> -DWORK=<scratch folder> -P real_loader_configure_test.cmake
set(loader ${WORK}/RE-UE4SS)
file(REMOVE_RECURSE ${WORK})
foreach(header Mod/CppUserModBase.hpp LuaMadeSimple/LuaMadeSimple.hpp
               DynamicOutput/DynamicOutput.hpp)
    file(WRITE ${loader}/UE4SS/include/${header} "#pragma once\n")
endforeach()
file(WRITE ${loader}/UE4SS/stub.cpp "int kvr_fake_loader;\n")
file(WRITE ${loader}/CMakeLists.txt [=[
add_library(UE4SS STATIC UE4SS/stub.cpp)
target_include_directories(UE4SS PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/UE4SS/include)
target_compile_definitions(UE4SS PUBLIC KVR_FAKE_LOADER_DEFINE)
]=])

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
                            ${preset_settings} -DKVR_UE4SS_SOURCE_DIR=${loader} ${ARGN}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    set(result ${result} PARENT_SCOPE)
    # CMake wraps its messages: one blank between words, to find a sentence in them.
    string(REGEX REPLACE "[ \n]+" " " flat "${output}${errors}")
    set(output "${flat}" PARENT_SCOPE)
endfunction()

# expect(<what went wrong> <condition>...)
function(expect what)
    if(NOT (${ARGN}))
        message(FATAL_ERROR "${what}\n${output}")
    endif()
endfunction()

configure_mod(real)
expect("configuring against the fake loader checkout failed" result EQUAL 0)
file(READ ${WORK}/real/compile_commands.json commands)
string(FIND "${commands}" "rand_mod/rand_streams.cpp" streams)
string(FIND "${commands}" "-I${loader}/UE4SS/include" real_headers)
string(FIND "${commands}" "-DKVR_FAKE_LOADER_DEFINE" definitions)
string(FIND "${commands}" "rand_mod/ue4ss" stand_in)
string(FIND "${commands}" "fmt_include" copied_fmt)
string(FIND "${commands}" "launcher_core" programs)
expect("the mod library is not built" NOT streams EQUAL -1)
expect("the mod library does not include the loader's headers" NOT real_headers EQUAL -1)
expect("the loader target's definitions are not passed on" NOT definitions EQUAL -1)
expect("the stand-in is still built or on the include path" stand_in EQUAL -1)
expect("{fmt} comes from a copy of the host's headers" copied_fmt EQUAL -1)
expect("the preset builds more than the mod library" programs EQUAL -1)

file(WRITE ${loader}/CMakeLists.txt "add_library(SomethingElse INTERFACE)\n")
configure_mod(no_target)
string(FIND "${output}" "KVR_UE4SS_SOURCE_DIR (${loader}) defines no UE4SS target" named)
expect("a checkout without the UE4SS target passed" NOT result EQUAL 0 AND NOT named EQUAL -1)

configure_mod(mingw -DCMAKE_TOOLCHAIN_FILE=${KVR_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake)
string(FIND "${output}" "KVR_UE4SS_SOURCE_DIR needs MSVC or clang-cl" named)
expect("a MinGW build against the real loader passed" NOT result EQUAL 0 AND NOT named EQUAL -1)
