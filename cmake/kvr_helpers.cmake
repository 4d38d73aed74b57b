# Compiler settings shared by every target, and small helpers to declare them.

if(MSVC)
    # The production mod library (windows-msvc preset): MSVC's own runtime DLL, as the loader uses
    # it (the default /MD of a Release build), and none of MinGW's flags.
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
    add_compile_options(/W4 /utf-8 /permissive-)
elseif(WIN32)
    # Players must not need MinGW runtime DLLs; every program and DLL is linked statically.
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
    add_compile_options(-Wall)
    add_link_options(-static -static-libgcc -static-libstdc++)
else()
    add_compile_options(-Wall -Wextra -Werror)
    if(KVR_SANITIZE)
        add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
        add_link_options(-fsanitize=address,undefined)
    endif()
endif()

# {fmt}: against the real loader, the loader's own (its UE4SS target carries it; a second {fmt}
# beside it collides); header-only from the Debian headers for MinGW, through a build-tree folder
# that holds only fmt/ so no other host header leaks in; otherwise the installed package.
function(kvr_find_fmt)
    if(TARGET kvr_fmt)
        return()
    endif()
    add_library(kvr_fmt INTERFACE)
    if(TARGET UE4SS)
        target_link_libraries(kvr_fmt INTERFACE UE4SS)
    elseif(WIN32 AND NOT MSVC)
        set(fmt_root ${CMAKE_BINARY_DIR}/third_party/fmt_include)
        file(MAKE_DIRECTORY ${fmt_root})
        file(COPY /usr/include/fmt DESTINATION ${fmt_root})
        target_include_directories(kvr_fmt SYSTEM INTERFACE ${fmt_root})
        target_compile_definitions(kvr_fmt INTERFACE FMT_HEADER_ONLY)
    else()
        find_package(fmt REQUIRED)
        target_link_libraries(kvr_fmt INTERFACE fmt::fmt)
    endif()
endfunction()

# GoogleTest: the system package natively; built from /usr/src/googletest for MinGW.
function(kvr_find_gtest)
    if(TARGET kvr_gtest)
        return()
    endif()
    add_library(kvr_gtest INTERFACE)
    if(WIN32)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
        target_link_libraries(kvr_gtest INTERFACE gtest_main gtest)
    else()
        find_package(GTest REQUIRED)
        target_link_libraries(kvr_gtest INTERFACE GTest::gtest_main GTest::gtest)
    endif()
endfunction()

# kvr_add_gtest(name SOURCES ... LIBS ... [LABELS ...] [RESOURCE_LOCK ...])
# A GoogleTest binary registered with ctest; under win64 ctest runs it through Wine.
function(kvr_add_gtest name)
    cmake_parse_arguments(arg "" "" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
    kvr_find_gtest()
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBS} kvr_gtest)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "KVR_WIN_BUILD=${CMAKE_BINARY_DIR}")
    if(arg_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}")
    endif()
    if(arg_RESOURCE_LOCK)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${arg_RESOURCE_LOCK}")
    endif()
endfunction()

# kvr_add_e2e(name FILE tests/e2e/<folder>/test_x.py [RESOURCE_LOCK ...] [TIMEOUT s])
# One pytest file under Wine against the real programs of this build tree.
# Debian's python3 carries pytest (python3-pytest); a python earlier on PATH may not.
if(NOT KVR_MOD_ONLY)
    find_program(KVR_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
    if(NOT KVR_PYTHON)
        find_program(KVR_PYTHON NAMES python3 REQUIRED)
    endif()
endif()

function(kvr_add_e2e name)
    cmake_parse_arguments(arg "" "FILE;TIMEOUT" "RESOURCE_LOCK" ${ARGN})
    add_test(NAME ${name}
             COMMAND ${KVR_PYTHON} -m pytest -q -p no:cacheprovider ${CMAKE_SOURCE_DIR}/${arg_FILE}
             WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
    set(lock wine_prefix ${arg_RESOURCE_LOCK})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "KVR_WIN_BUILD=${CMAKE_BINARY_DIR};KVR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        RESOURCE_LOCK "${lock}" LABELS e2e)
    if(arg_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/kvr_mod.cmake)
