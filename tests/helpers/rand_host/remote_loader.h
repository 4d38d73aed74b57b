// Putting the loader agent into another running program: its main thread is held while the
// agent DLL is loaded there and its kvr_play_loader runs on a thread of that program, so the
// program goes on only once the mod is in place.
#pragma once
#include <string>

namespace kvr {

struct RemoteLoad {
    std::wstring program;   // executable name of the running program, e.g. "game.exe"
    std::wstring agent_dll; // full path; its dependencies must be findable from the program
    std::wstring orders;    // kvr_play_loader's orders (see loader_agent.cpp)
};

// Returns kvr_play_loader's exit code, or a negative step number when putting it there failed
// (with `error` set).
int run_loader_in(const RemoteLoad& load, std::string& error);

} // namespace kvr
