// Linked into a stand-in main.dll or UE4SS.dll, makes it import from the Debug build of MSVC's
// runtime (debug_runtime.def), as every DLL of a Debug build does. Never loaded.
void kvr_debug_runtime_memset(void);

__declspec(dllexport) void kvr_uses_debug_runtime(void) {
    kvr_debug_runtime_memset();
}
