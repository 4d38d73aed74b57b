// Stands for the loader's UE4SS.dll in the package checks: a DLL whose export table is all that
// is read (the names come from a .def file, MSVC-decorated as the real loader's are).
void kvr_fake_loader_export(void) {}
