#!/usr/bin/env bash
# CPU time of kvr_overlay with the timer strip running and the board hidden, while the (fake)
# game runs, under Wine and an X display.
# Usage: tests/bench/overlay/overlay_cpu.sh <win64 build dir> [seconds, default 60]
# KVR_TIMER_ENABLED / KVR_TIMER_TEXT change timer.enabled / timer.txt; KVR_NO_GAME=1 measures the
# wait for a game that does not come; KVR_BOARD_TSV names a board file to use instead of the
# 30-row one, KVR_BOARD_TOGGLE=1 shows the board.
# Needs DISPLAY (an Xvfb will do). Prints the overlay's share of one core in percent
# ("KVR_BENCH overlay_cpu_percent ..."), the wineserver's for the same period
# ("KVR_BENCH wineserver_cpu_percent ...": it serves every Wine process, shown for reference), and
# the most memory the overlay's process held ("KVR_BENCH overlay_peak_rss_mb ...", its resident
# high-water mark, Wine's own share included).
set -euo pipefail
build=$(cd "${1:?win64 build dir}" && pwd)
seconds=${2:-60}
here=$(cd "$(dirname "$0")/../../.." && pwd)
. "$here/scripts/wine-env.sh" "$build"
"$here/scripts/wine-prefix.sh" "$build" >/dev/null

work=$(mktemp -d /tmp/kvr-overlay-cpu.XXXXXX)
data="$work/local/KVR-Race/data"
mkdir -p "$data"
printf "%s" "${KVR_TIMER_ENABLED-1}" >"$data/timer.enabled"
printf "%s" "${KVR_TIMER_TEXT-1|12.5|3|Sunken Archive}" >"$data/timer.txt"
printf "%s" "${KVR_BOARD_TOGGLE-0}" >"$data/board.toggle"
# The week's board as the launcher leaves it (the demo board is normally absent), its rows on the
# first tabs, so a shown board shows them.
if [ -n "${KVR_BOARD_TSV:-}" ]; then
    cp "$KVR_BOARD_TSV" "$data/board.tsv"
else
    for i in $(seq 1 30); do
        printf 'R\teasy\tarcade\t%d\tRunner_%d\t%d.25\t%d\n' "$i" "$i" $((600 + i * 13)) $((300 - i))
    done >"$data/board.tsv"
fi
cp "$(find "$build" -name kvr_overlay.exe -not -path '*wineprefix*' | head -1)" "$work/"
envrun=$(find "$build" -name kvr_envrun.exe -not -path '*wineprefix*' | head -1)
game_exe=$(find "$build" -name Hollowmaze-Win64-Shipping.exe -not -path '*wineprefix*' | head -1)

setsid wine "$envrun" "LOCALAPPDATA=Z:${work//\//\\}\\local" -- "Z:${work//\//\\}\\kvr_overlay.exe" \
    </dev/null >"$work/run.log" 2>&1 &
launcher=$!
game=""
if [ -z "${KVR_NO_GAME:-}" ]; then
    mkdir -p "$work/game"
    cp "$game_exe" "$work/game/"
    printf 'sleep %d\n' $(((seconds + 30) * 1000)) >"$work/game/Hollowmaze-Win64-Shipping.script"
    setsid wine "Z:${work//\//\\}\\game\\Hollowmaze-Win64-Shipping.exe" </dev/null >/dev/null 2>&1 &
    game=$!
fi
cleanup() {
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    [ -n "$game" ] && kill "$game" 2>/dev/null || true
    kill "$launcher" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

pid=""
for _ in $(seq 1 100); do
    # Wine shows the program's command line with its Windows path.
    pid=$(pgrep -f "^Z:.*${work##*/}.kvr_overlay.exe" | head -1 || true)
    [ -n "$pid" ] && break
    sleep 0.1
done
[ -n "$pid" ] || { echo "overlay did not start" >&2; exit 1; }
sleep 5 # start-up and the first paints are not what is measured

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# This prefix's wineserver (wineserver64 on 64-bit systems); it works in a folder named
# server-<device>-<inode of the prefix>, in hexadecimal.
server=""
server_dir=$(stat -c 'server-%d-%i' "$WINEPREFIX" | awk -F- '{ printf "server-%x-%x", $2, $3 }')
for p in $(pgrep -u "$(id -u)" -x "wineserver(64)?" || true); do
    if [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$server_dir" ]; then server=$p; fi
done
hz=$(getconf CLK_TCK)
a=$(ticks "$pid"); sa=${server:+$(ticks "$server")}
sleep "$seconds"
b=$(ticks "$pid"); sb=${server:+$(ticks "$server")}
share() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
echo "KVR_BENCH overlay_cpu_percent $(share $((b - a)))"
awk '/^VmHWM:/ { printf "KVR_BENCH overlay_peak_rss_mb %.1f\n", $2 / 1024 }' "/proc/$pid/status"
if [ -n "$server" ]; then echo "KVR_BENCH wineserver_cpu_percent $(share $((sb - sa)))"; fi
