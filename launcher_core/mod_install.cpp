#include "launcher_core/mod_install.h"

// The install stage is not built yet.
void copy_tree(const std::string&, const std::string&) {}
void install_and_verify_mod(const LauncherConfig&) {}
