#!/usr/bin/env bash
# Builds every fuzz target (clang, libFuzzer, ASan + UBSan) into build/fuzz and runs each for
# SECONDS seconds, one at a time, on a scratch copy of its checked-in seed corpus (the fuzzer
# never writes into tests/fuzz). Prints each target's execution count; exits non-zero when a
# target does not build or finds anything (crash, sanitizer report, broken property, leak,
# time-out). Each run works in a folder of its own under build/fuzz/runs/, so two runs at once do
# not disturb each other; the folder is kept only when something was found, with each finding's
# input under <target>/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz.sh SECONDS}
build=build/fuzz

# One configure and build at a time in the shared tree; the runs themselves may overlap.
mkdir -p "$build"
exec 9>"$build/.build-lock"
flock 9
# Quiet when it builds; what went wrong when it does not (a target that stopped compiling must not
# pass for a run that found nothing).
built=$build/build.log
if ! { CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
           -DKVR_FUZZ=ON -DKVR_SANITIZE=OFF &&
       cmake --build "$build" --target kvr_fuzz_targets -j2; } >"$built" 2>&1; then
    echo "fuzz targets do not build:" >&2
    grep -E 'error|Error' "$built" | head -n 20 >&2
    exit 1
fi
flock -u 9

mkdir -p "$build/runs"
runs=$(mktemp -d "$build/runs/run.XXXXXX")
status=0
while IFS=$'\t' read -r name exe seeds dict; do
    work=$runs/$name
    mkdir -p "$work/corpus" "$work/findings"
    if [ -d "$seeds" ]; then cp "$seeds"/* "$work/corpus/" 2>/dev/null || true; fi
    log=$work/fuzz.log
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
             -artifact_prefix="$work/findings/")
    if [ -f "$dict" ]; then options+=(-dict="$dict"); fi
    if "$exe" "${options[@]}" "$work/corpus" >"$log" 2>&1; then
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        printf '%-24s %12s executions\n' "$name" "${executions:-?}"
    else
        status=1
        printf '%-24s FINDING (log: %s)\n' "$name" "$log"
        { grep -E 'ERROR|SUMMARY|property broken|runtime error|Test unit written' "$log" || true; } \
            | head -n 12 | sed 's/^/    /'
    fi
done <"$build/fuzz_targets.tsv"
if [ $status -eq 0 ]; then rm -rf "$runs"; fi
exit $status
