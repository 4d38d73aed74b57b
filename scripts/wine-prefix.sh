#!/usr/bin/env bash
# Creates the Wine prefix of a build tree once and keeps its wineserver running detached, so
# that Wine's background services never hold a caller's pipes open.
# Usage: wine-prefix.sh <build-dir> [--services]  (--services also starts the services now)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "${1:?build dir}"

start_server() {
    # Detached from our stdio: a service that inherits a pipe keeps its reader waiting.
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
}

if [ ! -f "$WINEPREFIX/.kvr-ready" ]; then
    exec 9>"$kvr_build_dir/.wineprefix.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.kvr-ready" ]; then
        echo "wine-prefix: creating $WINEPREFIX"
        start_server
        setsid wineboot -i </dev/null >"$kvr_build_dir/wineboot.log" 2>&1
        wineserver -w
        reg() { wine reg add "$@" /f </dev/null >/dev/null 2>&1; }
        fonts='HKCU\Software\Wine\Fonts\Replacements'
        reg "$fonts" /v "Microsoft YaHei UI" /d "WenQuanYi Zen Hei"
        reg "$fonts" /v "Microsoft YaHei" /d "WenQuanYi Zen Hei"
        for f in "Segoe UI" "Tahoma" "Arial" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
            reg "$fonts" /v "$f" /d "DejaVu Sans"
        done
        reg "$fonts" /v "Consolas" /d "DejaVu Sans Mono"
        # Tests read what the shell opens through this recorder instead of a real browser.
        reg 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$here/record-url.sh"
        wineserver -k || true
        wineserver -w || true
        touch "$WINEPREFIX/.kvr-ready"
    fi
    flock -u 9
fi
start_server
# Wine's background services start with the first program and inherit its standard handles:
# start them here, detached, so they never hold a caller's pipe (ctest would wait on it).
# The desktop process likewise: the keeper starts it and keeps it up for the whole run.
if [ "${2:-}" = "--services" ]; then
    setsid wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    keeper=$(find "$kvr_build_dir/tests/helpers" -name kvr_desktop_keeper.exe 2>/dev/null | head -n 1)
    if [ -n "$keeper" ]; then
        setsid wine "$keeper" </dev/null >/dev/null 2>&1 &
        sleep 1
    fi
fi
