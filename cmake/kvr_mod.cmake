# Build helpers of the mod library: the real loader for the production build, and the check
# that keeps a main.dll the real loader cannot load out of the player package.

# kvr_use_real_loader(dir): the target kvr_ue4ss from the real loader's source checkout, built
# in this tree as the loader's own C++ mod template builds a mod: add_subdirectory of the
# checkout, the mod linked to its UE4SS target. That target hands the mod the loader's headers,
# its {fmt}, the language standard and the per-configuration definitions the headers expect,
# and the UE4SS.dll it builds is the one the mod is shipped with.
function(kvr_use_real_loader dir)
    if(WIN32 AND NOT MSVC)
        message(FATAL_ERROR "KVR_UE4SS_SOURCE_DIR needs MSVC or clang-cl (the windows-msvc "
                            "preset): the real loader's C++ ABI is MSVC's, so a MinGW build "
                            "against its headers would be a main.dll the loader cannot load.")
    endif()
    if(NOT EXISTS ${dir}/CMakeLists.txt)
        message(FATAL_ERROR "KVR_UE4SS_SOURCE_DIR (${dir}) holds no CMakeLists.txt: it must name "
                            "the loader's source checkout (rand_mod/README.md).")
    endif()
    add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/ue4ss_loader)
    if(NOT TARGET UE4SS)
        message(FATAL_ERROR "KVR_UE4SS_SOURCE_DIR (${dir}) defines no UE4SS target: it must name "
                            "the loader's source checkout at the version the package ships, with "
                            "its submodules (rand_mod/README.md).")
    endif()
    add_library(kvr_ue4ss INTERFACE)
    target_link_libraries(kvr_ue4ss INTERFACE UE4SS)
    message(STATUS "Mod library: built against the loader's UE4SS target from ${dir}")
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
