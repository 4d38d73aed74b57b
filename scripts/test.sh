#!/usr/bin/env bash
# Builds both presets into build/ and runs every test layer through ctest:
# native unit tests (sanitizers), Windows unit tests under Wine, end-to-end scenarios under Wine + Xvfb.
# Arguments go to both ctest runs, e.g. `scripts/test.sh -R e2e_overlay` runs the matching tests
# only (and skips the fuzz and TSan runs).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup-and-isolate.sh "$@"

cmake --preset native >/dev/null
cmake --build --preset native
# The rand mod's streams are shared by the game's threads: their tests also run under TSan.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_SANITIZE=OFF \
    -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build/tsan --target rand_mod_test
cmake --preset win64 >/dev/null
cmake --build --preset win64
cmake --build --preset win64 --target package >/dev/null

# One virtual display for every window test; Wine's X11 driver draws into it.
. scripts/wine-session.sh "${KVR_TEST_DISPLAY:-97}" build/xvfb.log

status=0
if [ $# -eq 0 ]; then
    scripts/fuzz.sh 10 || status=1
    ctest --test-dir build/tsan -R '^rand_mod_test$' --output-on-failure || status=1
fi
ctest --preset native -j2 "$@" || status=1
ctest --preset win64 -j2 "$@" || status=1
exit $status
