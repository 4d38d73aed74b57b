# Sourced: starts a virtual display for Wine's windows and returns once it takes connections.
# Usage: . scripts/xvfb.sh <display number> <log file>   (sets DISPLAY and xvfb_pid)
kvr_display=${1:?display number}
Xvfb ":$kvr_display" -screen 0 1600x1000x24 -br -nolisten tcp </dev/null >"${2:?log file}" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$kvr_display"
for _ in $(seq 1 300); do
    # A display number already taken makes our server exit; its socket is someone else's.
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb :$kvr_display did not start, see $2" >&2; exit 1; }
    [ -S "/tmp/.X11-unix/X$kvr_display" ] && break
    sleep 0.1
done
