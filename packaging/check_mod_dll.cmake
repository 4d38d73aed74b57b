# Refuses a main.dll that the game's mod loader cannot load (mod_dll_check/ says why one fails),
# checked against the UE4SS.dll it ships with. Runs when the package is put together, and in the
# tests:
#   cmake -DKVR_MOD_DLL_CHECK=<checker> -DKVR_CHECK_DLL=<main.dll> -DKVR_CHECK_LOADER=<UE4SS.dll>
#         -P check_mod_dll.cmake
execute_process(COMMAND ${KVR_MOD_DLL_CHECK} ${KVR_CHECK_DLL} ${KVR_CHECK_LOADER}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE reason)
if(NOT result EQUAL 0)
    if(reason STREQUAL "")
        set(reason "${KVR_MOD_DLL_CHECK} did not run: ${result}\n")
    endif()
    message(FATAL_ERROR
        "The player package refuses this main.dll (KVR_MOD_BUILD_DIR):\n  ${reason}"
        "A race package needs the main.dll and UE4SS.dll of one windows-msvc build against the "
        "loader's sources: see rand_mod/README.md, \"Production build\".")
endif()
message(STATUS "${output}")
