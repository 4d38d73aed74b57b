#!/usr/bin/env bash
# The main job: builds the player programs and plays a race run under Wine, printing the log.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

cmake --preset win64 >/dev/null
cmake --build --preset win64

. scripts/wine-env.sh build/win64
scripts/wine-prefix.sh build/win64

out="$root/demo-out"
rm -rf "$out"
player="$out/玩家包"
mkdir -p "$player"
cp build/win64/launcher_core/kvr_launcher_core.exe "$player/"
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }

cat >"$player/launcher.ini" <<INI
# Demo player package: data and receipt live beside the programs.
receipt=%APPDIR%receipt.json
data=%APPDIR%data
game=%APPDIR%kvr_launcher_core.exe
timer=1
INI

echo "== dry run =="
printf 'dryrun=1\n' >>"$player/launcher.ini"
(cd "$player" && wine kvr_launcher_core.exe </dev/null >"$out/dryrun.out" 2>&1) || true
sed -i '/^dryrun=1$/d' "$player/launcher.ini"

echo "== race run =="
(cd "$player" && echo | wine kvr_launcher_core.exe >"$out/race.out" 2>&1) || true

echo "== launcher.log =="
tr -d '\r' <"$player/launcher.log"
echo
echo "demo output in $out"
