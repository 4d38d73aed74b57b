#!/usr/bin/env bash
# Checks a built player package before it ships: reads the zip (version, the files the launcher
# checks after its install, launcher.ini, splits and layout, main.dll against the shipped
# UE4SS.dll), then unpacks it into a fresh Wine prefix and plays one race with it against local
# peers, as the demo does. Prints the package version, the mod's kind and every problem; exits 1
# when there is any. With --server it first asks that race server for /week/current and says
# whether the answer holds a seed.
#   scripts/check-package.sh <package.zip> [--server https://race.example.org]
# The report and the race's launcher.log land in build/package-check/.
set -euo pipefail
if [ -z "${KVR_CHECK_ZIP:-}" ]; then
    [ $# -ge 1 ] && [ -f "$1" ] || { echo "usage: $0 <package.zip> [--server URL]" >&2; exit 2; }
    KVR_CHECK_ZIP=$(realpath "$1")
    export KVR_CHECK_ZIP
    shift
    if [ "${1:-}" = "--server" ]; then
        [ -n "${2:-}" ] || { echo "usage: $0 <package.zip> [--server URL]" >&2; exit 2; }
        export KVR_CHECK_SERVER="$2"
    fi
fi
cd "$(dirname "$0")/.."
root=$(pwd)
out="$root/build/package-check"
python=/usr/bin/python3
[ -x "$python" ] || python=python3

# The real server is asked before the race's network namespace, which has no way out.
if [ -z "${KVR_ISOLATED:-}" ]; then
    rm -rf "$out" && mkdir -p "$out"
    if [ -n "${KVR_CHECK_SERVER:-}" ]; then
        "$python" tests/e2e/fixtures/package_check.py --ask-server "$KVR_CHECK_SERVER" >"$out/server.txt"
    fi
fi
. scripts/setup-and-isolate.sh

# The race rig: fake Steam and game, the message box closer, the peers (the win64 tree).
cmake --preset win64 >/dev/null
cmake --build --preset win64

export KVR_WINEPREFIX="$out/wineprefix" KVR_WIN_BUILD="$root/build/win64" KVR_SOURCE_DIR="$root"
. scripts/wine-session.sh "${KVR_CHECK_DISPLAY:-99}" "$out/xvfb.log"
server_report=()
[ -f "$out/server.txt" ] && server_report=(--server-report "$out/server.txt" --server "$KVR_CHECK_SERVER")
"$python" tests/e2e/fixtures/package_check.py --zip "$KVR_CHECK_ZIP" --out "$out" "${server_report[@]}" \
    | tee "$out/report.txt"
exit "${PIPESTATUS[0]}"
