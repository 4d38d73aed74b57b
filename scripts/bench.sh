#!/usr/bin/env bash
# Every figure we track, in one run: each beside the baseline measured in the same run and its
# target. Builds build/bench (native, optimised, no sanitizers: the bench preset) and build/win64,
# runs the benchmarks natively and under Wine + Xvfb, and prints the table. The raw figures go to
# build/bench/figures.txt, each program's output to build/bench/logs/.
# Uses build/win64's Wine prefix: not at the same time as scripts/test.sh or scripts/demo.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
# The launch figure plays races against the peers' fixed loopback ports.
. scripts/setup-and-isolate.sh "$@"
root=$(pwd)
python=/usr/bin/python3
[ -x "$python" ] || python=python3
logs=build/bench/logs
figures=build/bench/figures.txt

step() { echo "bench: $*" >&2; }
# Runs a command with its output in a log; on failure shows the log's end and stops.
quiet() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 || { tail -n 30 "$log" >&2; exit 1; }
}

mkdir -p build/bench
step "building build/bench and build/win64"
quiet build/bench/build.log bash -c 'cmake --preset bench && cmake --build --preset bench &&
    cmake --preset win64 && cmake --build --preset win64 &&
    cmake --build --preset win64 --target package'
rm -rf "$logs" && mkdir -p "$logs"
: >"$figures"

# measure <platform> <name> <command...>: the command's "KVR_BENCH <key> <value>" lines go into
# the figures as "<platform>.<key>". A program that is not built (an empty argument: `built`
# found nothing) or fails leaves its figures out; the table shows them as not available.
measure() {
    local platform=$1 name=$2 arg
    shift 2
    for arg in "$@"; do
        if [ -z "$arg" ]; then
            step "$name ($platform): not built"
            return
        fi
    done
    step "$name ($platform)"
    if ! "$@" </dev/null >"$logs/$name.$platform.log" 2>&1; then
        step "$name ($platform) failed, see $logs/$name.$platform.log"
    fi
    tr -d '\r' <"$logs/$name.$platform.log" |
        sed -n "s/^KVR_BENCH \([^ ]*\) \([^ ]*\)\$/KVR_BENCH $platform.\1 \2/p" >>"$figures"
}
# The newest program of that name: a tree built before a benchmark moved still holds the old one.
built() {
    find "$1" -name "$2" -type f -not -path '*wineprefix*' -printf '%T@ %p\n' 2>/dev/null |
        sort -rn | head -n 1 | cut -d' ' -f2-
}

# ---- native -------------------------------------------------------------------------------------
measure native rand "$(built build/bench rand_mod_bench)"
judge_json=$logs/receipt_judge.json
measure native receipt_judge "$(built build/bench receipt_judge_bench)" \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$judge_json" --benchmark_out_format=json
"$python" tests/bench/bench_table.py --from-gbench native "$judge_json" >>"$figures" || true

# ---- under Wine ---------------------------------------------------------------------------------
. scripts/wine-session.sh "${KVR_BENCH_DISPLAY:-96}" "$logs/xvfb.log"

measure wine rand wine "$(built build/win64 rand_mod_bench.exe)"
install_work=$(mktemp -d /tmp/kvr-install-bench.XXXXXX)
measure wine install wine "$(built build/win64 kvr_install_bench.exe)" "Z:${install_work//\//\\}" 21
rm -rf "$install_work"
measure wine overlay_paint wine "$(built build/win64 kvr_overlay_paint_bench.exe)"
measure wine card_paint wine "$(built build/win64 kvr_card_paint_bench.exe)"
measure wine overlay_cpu tests/bench/overlay/overlay_cpu.sh build/win64 30
# The biggest board file a server can deliver (the 8 MiB download cap), shown: rows of one list
# with long names, as many as fit.
big_board=$(mktemp /tmp/kvr-big-board.XXXXXX)
"$python" - "$big_board" <<'PY'
import sys
line = "R\teasy\tarcade\t{0}\t" + "名" * 40 + "{0}\t{1}.25\t{0}\n"
with open(sys.argv[1], "w", encoding="utf-8") as f:
    size, i = 0, 0
    while True:
        i += 1
        text = line.format(i, 600 + i)
        if size + len(text.encode()) > 8 << 20:
            break
        f.write(text)
        size += len(text.encode())
PY
measure wine_board_shown overlay_board_shown env KVR_BOARD_TOGGLE=1 \
    tests/bench/overlay/overlay_cpu.sh build/win64 10
measure wine_big_board overlay_big_board env KVR_BOARD_TSV="$big_board" KVR_BOARD_TOGGLE=1 \
    tests/bench/overlay/overlay_cpu.sh build/win64 10
rm -f "$big_board"
export KVR_WIN_BUILD="$root/build/win64" KVR_SOURCE_DIR="$root"
measure wine launch "$python" tests/bench/launch_bench.py --races 5 \
    --package "$(ls build/win64/package/KVR-Race-player-*.zip)" --work "$root/build/bench/launch"

echo
"$python" tests/bench/bench_table.py "$figures"
