// Stands for a main.dll built with MSVC: it imports the loader's base-class constructor under
// MSVC's decorated name (msvc_named_ue4ss.def). The package check reads its import table; it is
// never loaded.
void kvr_loader_base_constructor(void);

__declspec(dllexport) void start_mod(void) {
    kvr_loader_base_constructor();
}
