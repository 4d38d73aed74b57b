// Export decoration of the stand-in's library: a DLL (UE4SS.dll) that the mod imports from in
// the Windows build, a static library natively.
#pragma once

#if defined(_WIN32) && !defined(RC_UE4SS_STATIC)
#if defined(RC_UE4SS_EXPORTS)
#define RC_UE4SS_API __declspec(dllexport)
#else
#define RC_UE4SS_API __declspec(dllimport)
#endif
#else
#define RC_UE4SS_API
#endif
