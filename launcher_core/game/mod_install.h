// Installing the race's mod package into the game folder and checking the files it needs.
#pragma once
#include "launcher_core/base/config.h"

#include <string>

// Copies the tree below `from` over `to`. A file is skipped when the installed copy already has
// the same bytes; every directory level that copied something logs its own count. A source
// that cannot be listed copies nothing and does not create `to`.
void copy_tree(const std::string& from, const std::string& to);
// The race run's install-and-verify stage (both `install_from` and `game` are non-empty). Never
// stops the run: a missing required file is logged and shown to the player in a message box.
void install_and_verify_mod(const LauncherConfig& cfg);
