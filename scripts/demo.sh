#!/usr/bin/env bash
# The main job: builds the player package and plays two whole races under Wine, as a player
# lives them, with local peers (race server, LiveSplit, Steam and the game as stand-ins).
# Screenshots of every stage and the launcher's log land in demo-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup-and-isolate.sh "$@"
root=$(pwd)
out="$root/demo-out"
python=/usr/bin/python3
[ -x "$python" ] || python=python3

cmake --preset win64 >/dev/null
cmake --build --preset win64

# The package as an organiser builds it, with placeholder loader and script files.
rm -rf "$out" && mkdir -p "$out"
organiser=$("$python" tests/e2e/fixtures/player_race.py --organiser-files "$out/organiser")
# shellcheck disable=SC2086
cmake --preset win64 $organiser >/dev/null
cmake --build --preset win64 --target package >/dev/null
package=$(ls build/win64/package/KVR-Race-player-*.zip)
cp "$package" "$out/"
# Leave the build tree's package settings as the tests expect them.
cmake --preset win64 -DKVR_UE4SS_DIR= -DKVR_WEEKLY_MOD_DIR= -DKVR_SPLITS_FILE= >/dev/null

. scripts/wine-session.sh "${KVR_DEMO_DISPLAY:-98}" "$out/xvfb.log"

export KVR_WIN_BUILD="$root/build/win64" KVR_SOURCE_DIR="$root"
"$python" tests/e2e/fixtures/player_race.py --package "$out/$(basename "$package")" --out "$out"
