# libFuzzer targets for the parsers of outside bytes, built only by a clang tree configured with
# KVR_FUZZ=ON (scripts/fuzz.sh makes one in build/fuzz). Every other build skips them.
#
# Each module folder includes this file, then declares its targets with kvr_add_fuzz(). The
# portable libraries a target links are compiled with coverage feedback and the sanitizers, so
# the fuzzer sees the branches of the parser itself, not only those of the harness. Included by
# every module folder (variables are per folder); the one-time steps check for their target.

option(KVR_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(KVR_FUZZ_ACTIVE OFF)
if(KVR_FUZZ)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        set(KVR_FUZZ_ACTIVE ON)
    else()
        message(WARNING "KVR_FUZZ needs clang (CXX=clang++); the fuzz targets are skipped")
    endif()
endif()

# What scripts/fuzz.sh runs: one line per target, "name<TAB>binary<TAB>seed corpus folder<TAB>
# dictionary" (the dictionary file may be absent).
set(KVR_FUZZ_MANIFEST ${CMAKE_BINARY_DIR}/fuzz_targets.tsv)
set(kvr_fuzz_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)

if(KVR_FUZZ_ACTIVE AND NOT TARGET kvr_fuzz_targets)
    file(WRITE ${KVR_FUZZ_MANIFEST} "")
    add_custom_target(kvr_fuzz_targets)
endif()

# Coverage feedback and sanitizers for a library the targets link. A tree built this way is for
# fuzzing: whatever else links the library gets the sanitizer runtimes through its interface.
function(kvr_fuzz_instrument)
    foreach(lib ${ARGN})
        get_property(done TARGET ${lib} PROPERTY KVR_FUZZ_INSTRUMENTED)
        if(NOT done)
            target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link ${kvr_fuzz_sanitizers})
            target_link_options(${lib} INTERFACE -fsanitize=address,undefined)
            set_property(TARGET ${lib} PROPERTY KVR_FUZZ_INSTRUMENTED ON)
        endif()
    endforeach()
endfunction()

# kvr_add_fuzz(name SOURCES ... LIBS ... [INSTRUMENT ...])
# Beside the module's CMakeLists.txt, the seed corpus is corpus/<short>/ and an optional libFuzzer
# dictionary (the format's keywords) <short>.dict, <short> being the name without "fuzz_".
# INSTRUMENT lists the libraries whose code is under test (default: LIBS).
function(kvr_add_fuzz name)
    if(NOT KVR_FUZZ_ACTIVE)
        return()
    endif()
    cmake_parse_arguments(arg "" "" "SOURCES;LIBS;INSTRUMENT" ${ARGN})
    if(NOT arg_INSTRUMENT)
        set(arg_INSTRUMENT ${arg_LIBS})
    endif()
    kvr_fuzz_instrument(${arg_INSTRUMENT})
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${kvr_fuzz_sanitizers})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer ${kvr_fuzz_sanitizers})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_dependencies(kvr_fuzz_targets ${name})
    string(REGEX REPLACE "^fuzz_" "" short ${name})
    file(APPEND ${KVR_FUZZ_MANIFEST}
         "${name}\t${CMAKE_BINARY_DIR}/fuzz/${name}\t${CMAKE_CURRENT_SOURCE_DIR}/corpus/${short}\t"
         "${CMAKE_CURRENT_SOURCE_DIR}/${short}.dict\n")
endfunction()
