# Refuses a main.dll that the game's mod loader cannot load (mod_dll_check/ says why one fails),
# checked against the UE4SS.dll it ships with, and a loader proxy dwmapi.dll the game cannot load.
# Runs when the package is put together, and in the tests:
#   cmake -DKVR_MOD_DLL_CHECK=<checker> -DKVR_CHECK_DLL=<main.dll> -DKVR_CHECK_LOADER=<UE4SS.dll>
#         [-DKVR_CHECK_PROXY=<dwmapi.dll>] -P check_mod_dll.cmake
execute_process(COMMAND ${KVR_MOD_DLL_CHECK} ${KVR_CHECK_DLL} ${KVR_CHECK_LOADER} ${KVR_CHECK_PROXY}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE reason)
if(NOT result EQUAL 0)
    if(reason STREQUAL "")
        set(reason "${KVR_MOD_DLL_CHECK} did not run: ${result}\n")
    endif()
    # The reason starts with the path of the file at fault.
    set(file main.dll)
    set(variable KVR_MOD_BUILD_DIR)
    set(advice "A race package needs the main.dll and UE4SS.dll of one windows-msvc build against "
               "the loader's sources: see rand_mod/README.md, \"Production build\".")
    string(FIND "${reason}" "${KVR_CHECK_LOADER}" at)
    if(KVR_CHECK_LOADER AND at EQUAL 0)
        set(file UE4SS.dll)
    endif()
    string(FIND "${reason}" "${KVR_CHECK_PROXY}" at)
    if(KVR_CHECK_PROXY AND at EQUAL 0)
        set(file dwmapi.dll)
        set(variable KVR_UE4SS_DIR)
        set(advice "dwmapi.dll is the loader's proxy, from its zip of the same build: see "
                   "README.md, \"Shipping a race week\".")
    endif()
    message(FATAL_ERROR "The player package refuses this ${file} (${variable}):\n  ${reason}"
                        ${advice})
endif()
message(STATUS "${output}")
