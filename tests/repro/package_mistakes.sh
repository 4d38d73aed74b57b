#!/usr/bin/env bash
# Organiser mistakes that give a race package players cannot race with, yet the packaging builds
# it and scripts/check-package.sh passes it. Each case builds a race package from stand-in
# organiser files (the win64 tree's fake UE4SS.dll and MSVC-named main.dll, as
# tests/e2e/test_package_check.py uses) with one mistake, then runs the check on it. A case is
# BROKEN when the zip is built and the check says OK; HELD when the build stops or the check fails.
#
#   tests/repro/package_mistakes.sh [case ...]        (all cases without arguments)
#
# Needs build/win64 (the check builds it); builds into build/repro-package, writes build/repro/.
# Run it like the check itself: not at the same time as scripts/test.sh or scripts/demo.sh.
# Exit status: the number of BROKEN cases.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
work="$root/build/repro"
tree="$root/build/repro-package"
rand="$root/build/win64/tests/win/rand_mod"
export KVR_CHECK_DISPLAY="${KVR_CHECK_DISPLAY:-${KVR_DEMO_DISPLAY:-99}}"

[ -f "$rand/libkvr_msvc_named_mod.dll" ] || {
    echo "build/win64 first: cmake --preset win64 && cmake --build --preset win64" >&2
    exit 2
}

# The good inputs, laid out as README.md's "Shipping a race week" asks.
rm -rf "$work" && mkdir -p "$work"
in="$work/inputs"
mkdir -p "$in/mod_package/ue4ss/Mods/KVRSRanked/dlls" "$in/loader/ue4ss" "$in/KVRWeekly/Scripts"
cp "$rand/fake_loader_matching/UE4SS.dll" "$in/mod_package/ue4ss/UE4SS.dll"
cp "$rand/libkvr_msvc_named_mod.dll" "$in/mod_package/ue4ss/Mods/KVRSRanked/dlls/main.dll"
printf 'MZ proxy placeholder' >"$in/loader/dwmapi.dll"
printf '[General]\r\n' >"$in/loader/ue4ss/UE4SS-settings.ini"
echo '-- race script' >"$in/KVRWeekly/Scripts/main.lua"
: >"$in/KVRWeekly/enabled.txt"
echo '<?xml version="1.0"?><Run><GameName>Escape the Hollowmaze</GameName></Run>' >"$in/race.lss"
echo '<?xml version="1.0"?><Layout/>' >"$in/mirelle.lsl"

good=(-DKVR_PACKAGE_VERSION=2026.50 -DKVR_DEFAULT_SERVER=https://race.example.org
      -DKVR_MOD_BUILD_DIR="$in/mod_package" -DKVR_UE4SS_DIR="$in/loader"
      -DKVR_WEEKLY_MOD_DIR="$in/KVRWeekly" -DKVR_SPLITS_FILE="$in/race.lss"
      -DKVR_LAYOUT_FILE="$in/mirelle.lsl" -DKVR_LIVESPLIT_DIR=
      "-DKVR_RECEIPT_PATH=%LOCALDATA%\\data\\receipt.json")

# ---- the cases: each sets `settings` (added to the good ones) and may set `check_args` -------
case_good() { # the control: must be built and pass
    settings=()
}
case_debug_main_dll() { # main.dll (and so the loader) of a Debug configuration: imports the
    # debug C runtime, which players' PCs do not have, so the loader cannot load it
    local dir="$work/debug_mod"
    mkdir -p "$dir/ue4ss/Mods/KVRSRanked/dlls"
    cat >"$dir/debug_crt.def" <<'EOF'
LIBRARY VCRUNTIME140D.dll
EXPORTS
kvr_debug_crt_memset == memset
EOF
    cat >"$dir/mod.c" <<'EOF'
void kvr_loader_base_constructor(void);
void kvr_debug_crt_memset(void);
__declspec(dllexport) void start_mod(void) { kvr_loader_base_constructor(); kvr_debug_crt_memset(); }
EOF
    x86_64-w64-mingw32-dlltool -d "$dir/debug_crt.def" -l "$dir/libdebugcrt.a"
    x86_64-w64-mingw32-gcc -shared -nostdlib -e 0 -o "$dir/ue4ss/Mods/KVRSRanked/dlls/main.dll" \
        "$dir/mod.c" "$rand/libmsvc_named_ue4ss.a" "$dir/libdebugcrt.a"
    cp "$rand/fake_loader_matching/UE4SS.dll" "$dir/ue4ss/UE4SS.dll"
    settings=(-DKVR_MOD_BUILD_DIR="$dir")
}
case_empty_dwmapi() { # the loader's proxy DLL is a 0-byte file (a failed copy or sync): the
    # game, which loads dwmapi.dll from its own folder first, does not start at all
    local dir="$work/loader_empty_dwmapi"
    cp -r "$in/loader" "$dir" && : >"$dir/dwmapi.dll"
    settings=(-DKVR_UE4SS_DIR="$dir")
}
case_server_pasted_twice() { # https:// pasted twice: every request goes to the host "https";
    # the check is asked about a working server, which is not the package's
    settings=(-DKVR_DEFAULT_SERVER=https://https://race.example.org)
    check_args=(--server "http://127.0.0.1:$stub_port")
}
case_livesplit_one_level_deep() { # LiveSplit's zip unpacked with its own top folder: the
    # package's LiveSplit\LiveSplit.exe does not exist, nor is the layout beside the real one
    local dir="$work/livesplit_unpacked"
    mkdir -p "$dir/LiveSplit_1.8.29"
    cp "$root/build/win64/tests/helpers/cmdline_recorder/kvr_cmdline_recorder.exe" \
        "$dir/LiveSplit_1.8.29/LiveSplit.exe"
    settings=(-DKVR_LIVESPLIT_DIR="$dir")
}
case_splits_and_layout_swapped() { # LiveSplit is started with the layout as its splits file
    settings=(-DKVR_SPLITS_FILE="$in/mirelle.lsl" -DKVR_LAYOUT_FILE="$in/race.lss")
}
case_symlinked_inputs() { # the week's script and splits are symbolic links (a "current week"
    # link): the zip stores links, which unpack on Windows as files holding a Linux path
    local dir="$work/symlinked"
    mkdir -p "$dir/week51" "$dir/KVRWeekly/Scripts"
    cp "$in/KVRWeekly/Scripts/main.lua" "$in/race.lss" "$dir/week51/"
    ln -s "$dir/week51/main.lua" "$dir/KVRWeekly/Scripts/main.lua"
    : >"$dir/KVRWeekly/enabled.txt"
    ln -s "$dir/week51/race.lss" "$dir/current.lss"
    settings=(-DKVR_WEEKLY_MOD_DIR="$dir/KVRWeekly" -DKVR_SPLITS_FILE="$dir/current.lss")
}
case_receipt_path_windows_variable() { # %LOCALAPPDATA% is not expanded by the launcher: the
    # receipt (the record of a run that never reaches its result file) is never found
    settings=("-DKVR_RECEIPT_PATH=%LOCALAPPDATA%\\KVR-Race\\data\\receipt.json")
}
case_empty_race_script() { # a 0-byte main.lua: the week's script does nothing in the game
    local dir="$work/KVRWeekly_empty"
    mkdir -p "$dir/Scripts" && : >"$dir/Scripts/main.lua" && : >"$dir/enabled.txt"
    settings=(-DKVR_WEEKLY_MOD_DIR="$dir")
}
all_cases=(good debug_main_dll empty_dwmapi server_pasted_twice livesplit_one_level_deep
           splits_and_layout_swapped symlinked_inputs receipt_path_windows_variable
           empty_race_script)

# A stand-in race server for --server (asked outside the race's network namespace).
stub_port=18923
python3 -c '
import http.server, json, sys
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = json.dumps({"week": "2026-W50", "seed": "20261207"}).encode()
        self.send_response(200); self.end_headers(); self.wfile.write(body)
    def log_message(self, *a): pass
http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), H).serve_forever()' "$stub_port" &
stub=$!
trap 'kill $stub 2>/dev/null' EXIT

broken=0
[ $# -gt 0 ] && all_cases=("$@")
for name in "${all_cases[@]}"; do
    settings=() check_args=()
    "case_$name" || { echo "$name: could not set up"; continue; }
    log="$work/$name.log"
    rm -rf "$tree/package"
    if ! cmake --preset package -B "$tree" "${good[@]}" "${settings[@]}" >"$log" 2>&1 ||
       ! cmake --build "$tree" --target package -j2 >>"$log" 2>&1; then
        echo "HELD   $name: not built ($(grep -m1 -A1 'Error' "$log" | tail -1 | sed 's/^ *//'))"
        continue
    fi
    mkdir -p "$work/zips/$name"
    zip=$(ls "$tree"/package/KVR-Race-player-*.zip)
    cp "$zip" "$work/zips/$name/"
    scripts/check-package.sh "$work/zips/$name/$(basename "$zip")" "${check_args[@]}" \
        >"$work/$name.check.txt" 2>&1
    rc=$?
    cp build/package-check/launcher.log "$work/$name.launcher.log" 2>/dev/null
    verdict=$(tail -1 "$work/$name.check.txt")
    if [ "$name" = good ]; then
        [ $rc -eq 0 ] && echo "OK     good: built, $verdict" || { echo "FAILED good: $verdict"; exit 99; }
    elif [ $rc -eq 0 ]; then
        echo "BROKEN $name: built and $verdict (see $work/$name.check.txt)"
        broken=$((broken + 1))
    else
        echo "HELD   $name: built, check: $verdict"
    fi
done
exit $broken
