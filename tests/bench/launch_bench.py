"""How long a player waits from the double-click on kvr_launcher.exe until the launcher core
writes "launching" (it is about to start the game), on the end-to-end rig's player PC: local race
server and LiveSplit peers, fake Steam and game, the mod already installed by a first race,
LiveSplit already running. Baseline, in the same run: starting a trivial console program under
the same Wine until it has ended.

    python3 launch_bench.py --package <player zip> --work <folder> [--races N]

Needs the win64 build tree's Wine prefix with its services running, a display, and the fixed
LiveSplit port (scripts/bench.sh provides all three). Prints "KVR_BENCH <key> <seconds>" lines:
the medians launch_to_launching_s and trivial_program_s.
"""
import argparse
import shutil
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e" / "fixtures"))

from harness import Wine, find_exe  # noqa: E402
from player_race import PlayerRace  # noqa: E402


def trivial_program_seconds(wine: Wine, folder: Path, rounds: int) -> list:
    """A MinGW console program that records its command line and ends at once."""
    folder.mkdir(parents=True, exist_ok=True)
    program = folder / "trivial.exe"
    shutil.copy(find_exe("kvr_cmdline_recorder.exe"), program)
    times = []
    for _ in range(rounds):
        started = time.monotonic()
        wine.run(program, timeout=60)
        times.append(time.monotonic() - started)
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--races", type=int, default=5)
    args = parser.parse_args()
    work = Path(args.work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    (work / "pc").mkdir(parents=True)
    wine = Wine(work / "wine-io")
    race = PlayerRace(wine, work / "pc", Path(args.package), log=lambda *_: None)
    race.poll_s = 0.005  # the figure is read from launch.state: look often
    race.server_pause_s = 0.0  # the peer answers at once, as a server on loopback would
    launching = []
    try:
        race.prepare(add_organiser_files=True)
        race.race()  # installs the mod; LiveSplit stays up from here on
        for _ in range(args.races):
            seen = race.race()
            if "launching" not in seen["state_times"]:
                print(f"launch_bench: a race never reached launching: {seen['states']}",
                      file=sys.stderr)
                return 1
            launching.append(seen["state_times"]["launching"])
    finally:
        race.cleanup()
    baseline = trivial_program_seconds(wine, work / "trivial", args.races)
    print(f"KVR_BENCH launch_to_launching_s {statistics.median(launching):.4f}")
    print(f"KVR_BENCH trivial_program_s {statistics.median(baseline):.4f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
