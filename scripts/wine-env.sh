# Sourced: the Wine environment of one build tree. Usage: . scripts/wine-env.sh <build-dir>
kvr_build_dir=$(cd "${1:?build dir}" && pwd)
# KVR_WINEPREFIX puts the prefix elsewhere (the package check plays in a fresh one).
export WINEPREFIX="${KVR_WINEPREFIX:-$kvr_build_dir/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine converts command lines and environment with the Linux locale.
export LC_ALL=C.UTF-8
export LANG=C.UTF-8
