# Build helpers of the mod library: the real loader's API for the production build, and the
# check that keeps a main.dll the real loader cannot load out of the player package.

# kvr_use_real_loader_api(dir definitions): the target kvr_ue4ss from the real loader's headers
# (<dir>/include) and import library (<dir>/lib/UE4SS.lib), in place of our stand-in. The
# headers the mod includes must be there; the rest of what they include is the loader's
# business. Natively this only swaps the headers, which lets the choice be configured anywhere.
function(kvr_use_real_loader_api dir definitions)
    if(WIN32 AND NOT MSVC)
        message(FATAL_ERROR "KVR_UE4SS_SDK_DIR needs MSVC or clang-cl (the windows-msvc preset): "
                            "the real loader's C++ ABI is MSVC's, so a MinGW build against its "
                            "headers would be a main.dll the loader cannot load.")
    endif()
    set(missing "")
    foreach(header Mod/CppUserModBase.hpp LuaMadeSimple/LuaMadeSimple.hpp
                   DynamicOutput/DynamicOutput.hpp)
        if(NOT EXISTS ${dir}/include/${header})
            list(APPEND missing include/${header})
        endif()
    endforeach()
    if(NOT EXISTS ${dir}/lib/UE4SS.lib)
        list(APPEND missing lib/UE4SS.lib)
    endif()
    if(missing)
        list(JOIN missing ", " missing)
        message(FATAL_ERROR "KVR_UE4SS_SDK_DIR (${dir}) lacks ${missing}; rand_mod/README.md "
                            "says what goes there.")
    endif()
    add_library(kvr_ue4ss INTERFACE)
    target_include_directories(kvr_ue4ss SYSTEM INTERFACE ${dir}/include)
    target_link_libraries(kvr_ue4ss INTERFACE ${dir}/lib/UE4SS.lib)
    target_compile_definitions(kvr_ue4ss INTERFACE ${definitions})
    message(STATUS "Mod library: the real loader's headers and import library from ${dir}")
endfunction()

# The package's check of main.dll runs on the machine that builds the package: in the MinGW
# tree, a host build of our own import reader (an external project, host compiler).
if(WIN32 AND NOT MSVC AND NOT KVR_MOD_ONLY)
    include(ExternalProject)
    set(KVR_MOD_DLL_CHECK ${CMAKE_BINARY_DIR}/host_tools/mod_dll_check/kvr_mod_dll_check)
    ExternalProject_Add(kvr_mod_dll_check
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/packaging/mod_dll_check
        BINARY_DIR ${CMAKE_BINARY_DIR}/host_tools/mod_dll_check
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DKVR_SOURCE_DIR=${CMAKE_SOURCE_DIR}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON # the sources live in this tree; their own build is incremental
        BUILD_BYPRODUCTS ${KVR_MOD_DLL_CHECK})
endif()
