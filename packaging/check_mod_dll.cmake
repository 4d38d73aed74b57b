# Refuses a main.dll that the game's mod loader cannot load (mod_dll_check/ says why one fails).
# Runs when the package is put together, before the DLL is copied into it, and in the tests:
#   cmake -DKVR_MOD_DLL_CHECK=<checker> -DKVR_CHECK_DLL=<main.dll> -P check_mod_dll.cmake
execute_process(COMMAND ${KVR_MOD_DLL_CHECK} ${KVR_CHECK_DLL}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE reason)
if(NOT result EQUAL 0)
    if(reason STREQUAL "")
        set(reason "${KVR_MOD_DLL_CHECK} did not run: ${result}\n")
    endif()
    message(FATAL_ERROR
        "The player package refuses this main.dll (KVR_MOD_DLL):\n  ${reason}"
        "A race package needs a main.dll built with MSVC or clang-cl against the real loader's "
        "headers: see rand_mod/README.md, \"Production build\".")
endif()
message(STATUS "${output}")
