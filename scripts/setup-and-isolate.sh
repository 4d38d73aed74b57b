# Sourced first by test.sh, demo.sh and bench.sh, with the caller's arguments:
#   . scripts/setup-and-isolate.sh "$@"
# Installs what is missing from Debian's packages (before the network namespace, which has no way
# out), then runs the calling script again in a network namespace of its own: our peers listen
# on fixed loopback ports (LiveSplit's is 16834) and Wine opens its sockets in the wineserver, so
# the whole run, wineserver included, must not meet anything else on this machine.
scripts/setup.sh
if [ -z "${KVR_ISOLATED:-}" ]; then
    export KVR_ISOLATED=1
    exec scripts/isolated.sh bash "$0" "$@"
fi
