#!/usr/bin/env bash
# The mod install over an unchanged 300-file, 30 MB package, timed under Wine.
# Usage: tests/bench/install_bench.sh <win64-build-dir> [runs]   (prints each run and the median)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?win64 build dir}" && pwd)
. "$here/scripts/wine-env.sh" "$build"
"$here/scripts/wine-prefix.sh" "$build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wine "$build/tests/win/launcher_core/kvr_install_bench.exe" "Z:${work//\//\\}" "${2:-21}" \
    </dev/null 2>&1 >/dev/null | grep -E '^(run|median)_ms='
