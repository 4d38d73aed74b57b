#!/usr/bin/env bash
# Builds both presets into build/ and runs every test layer through ctest:
# native unit tests (sanitizers), Windows unit tests under Wine, end-to-end scenarios under Wine + Xvfb.
# Arguments go to both ctest runs, e.g. `scripts/test.sh -R e2e_overlay` runs the matching tests
# only (and skips the fuzz and TSan runs).
set -euo pipefail
cd "$(dirname "$0")/.."
# Everything the run needs comes from Debian's packages; installed here when missing (before the
# network namespace below, which has no way out).
scripts/setup.sh
# Our peers listen on fixed loopback ports (LiveSplit's is 16834) and Wine opens its sockets in
# the wineserver: the whole run, wineserver included, gets a network namespace of its own.
if [ -z "${KVR_ISOLATED:-}" ]; then
    export KVR_ISOLATED=1
    exec scripts/isolated.sh bash "$0" "$@"
fi
root=$(pwd)

cmake --preset native >/dev/null
cmake --build --preset native
# The rand mod's streams are shared by the game's threads: their tests also run under TSan.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_SANITIZE=OFF \
    -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build/tsan --target rand_mod_test
cmake --preset win64 >/dev/null
cmake --build --preset win64
cmake --build --preset win64 --target package >/dev/null

. scripts/wine-env.sh build/win64
wineserver -k >/dev/null 2>&1 || true  # a server from outside this namespace would hold our sockets
wineserver -w >/dev/null 2>&1 || true
scripts/wine-prefix.sh build/win64

# One virtual display for every window test; Wine's X11 driver draws into it.
. scripts/xvfb.sh "${KVR_TEST_DISPLAY:-97}" build/xvfb.log
cleanup() {
    . "$root/scripts/wine-env.sh" "$root/build/win64"
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
scripts/wine-prefix.sh build/win64 --services

status=0
if [ $# -eq 0 ]; then
    scripts/fuzz.sh 3 || status=1
    ctest --test-dir build/tsan -R '^rand_mod_test$' --output-on-failure || status=1
fi
ctest --preset native -j2 "$@" || status=1
ctest --preset win64 -j2 "$@" || status=1
exit $status
