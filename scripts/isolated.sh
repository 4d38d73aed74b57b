#!/usr/bin/env bash
# Runs a command in a network namespace of its own (loopback only) when we may, so the peers'
# fixed loopback ports (LiveSplit's 16834) cannot clash with anything else on this machine.
# Falls back to running it as it is.
if [ "$(id -u)" = 0 ] && unshare -n true 2>/dev/null && command -v ip >/dev/null; then
    exec unshare -n bash -c 'ip link set lo up && exec "$@"' isolated "$@"
fi
exec "$@"
