#!/usr/bin/env bash
# ctest's emulator for Windows binaries: runs one program under the build tree's Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${KVR_WIN_BUILD:-}
if [ -z "$build" ]; then
    d=$(cd "$(dirname "$1")" && pwd)
    while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
    build=$d
fi
. "$here/wine-env.sh" "$build"
"$here/wine-prefix.sh" "$build" >/dev/null
exec wine "$@"
