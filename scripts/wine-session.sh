# Sourced by test.sh, demo.sh and bench.sh: the Wine session of build/win64 for this run.
# Usage: . scripts/wine-session.sh <display number> <Xvfb log file>
# Restarts the prefix's wineserver inside this network namespace (a server from outside it would
# hold our sockets, and nobody else's display stays attached to the prefix), creates the prefix
# once, starts a virtual display for Wine's windows and the prefix's services, and ends the
# wineserver and the display when the calling script exits.
kvr_session_root=$(pwd)
. "$kvr_session_root/scripts/wine-env.sh" "$kvr_session_root/build/win64"
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
scripts/wine-prefix.sh build/win64

Xvfb ":${1:?display number}" -screen 0 1600x1000x24 -br -nolisten tcp </dev/null >"${2:?log}" 2>&1 &
kvr_xvfb_pid=$!
kvr_session_end() {
    . "$kvr_session_root/scripts/wine-env.sh" "$kvr_session_root/build/win64"
    wineserver -k >/dev/null 2>&1 || true
    kill "$kvr_xvfb_pid" 2>/dev/null || true
}
trap kvr_session_end EXIT
export DISPLAY=":$1"
for _ in $(seq 1 300); do
    # A display number already taken makes our server exit; the socket would be someone else's.
    kill -0 "$kvr_xvfb_pid" 2>/dev/null || { echo "Xvfb $DISPLAY did not start, see $2" >&2; exit 1; }
    [ -S "/tmp/.X11-unix/X$1" ] && break
    sleep 0.1
done
scripts/wine-prefix.sh build/win64 --services
