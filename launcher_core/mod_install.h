// Installing the race's mod package into the game folder and checking the files it needs.
#pragma once
#include "launcher_core/config.h"

#include <string>

void copy_tree(const std::string& from, const std::string& to);
// The race run's install-and-verify stage (both `install_from` and `game` are non-empty).
void install_and_verify_mod(const LauncherConfig& cfg);
