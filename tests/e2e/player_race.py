"""A whole race as a player lives it, on a Wine prefix set up as a player's PC.

The player package (the CPack ZIP) is unpacked into a folder with a Chinese name; Steam sits in
the registry with a second library holding the fake game; LiveSplit is installed where its
installer puts it (a stand-in program, with the LiveSplit peer answering on its TCP port); the
race server peer serves this week's seed and board. Then kvr_launcher.exe is started as a
double-click would start it, and everything else happens by itself: the fake game plays the
in-game script's part (timer.txt, the board key, the receipt and kvrw_result.json), and this
driver plays the part of what starts the overlay inside the game.

Used by the demo (scripts/demo.sh, with screenshots), by test_player_race.py (fast) and by the
launch benchmark (tests/bench/launch_bench.py).

    python3 player_race.py --package <zip> --out <folder>     (the demo; needs DISPLAY)
"""
import argparse
import json
import shutil
import subprocess
import sys
import time
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "peers"))

from conftest import PREFIX, BoxCloser, Wine, find_exe, read_text, wait_for, winpath  # noqa: E402
from livesplit_peer import LiveSplitPeer  # noqa: E402
from race_server import RaceServer  # noqa: E402
from steam_fixtures import STEAM_KEY, Account, end_fake_games, make_steam_pc  # noqa: E402

PLAYER = 'Mira "Fox" 张'
RUN_TIME = 754.32
WEEK = {"week": "2026-W50", "seed": "20261207", "opens": "2026-12-07", "closes": "2026-12-14"}
BOARD = ("WEEK\t2026-W50\t12-07 ~ 12-14\n"
         "R\tnightmare\ttrue\t1\tAsh\t731.08\t150\n"
         "R\tnightmare\ttrue\t2\t张三\t788.91\t120\n"
         "R\tnightmare\ttrue\t3\tKestrel\t802.40\t100\n"
         "R\tnormal\tmain\t1\tOrin\t690.12\t150\n"
         "S\t1\tAsh\t310\nS\t2\t张三\t260\nS\t3\tOrin\t240\n")
BOARD_AFTER = BOARD.replace("R\tnightmare\ttrue\t2\t张三\t788.91\t120\n",
                            f"R\tnightmare\ttrue\t2\t{PLAYER}\t{RUN_TIME:.2f}\t120\n"
                            "R\tnightmare\ttrue\t3\t张三\t788.91\t100\n").replace(
                            "R\tnightmare\ttrue\t3\tKestrel\t802.40\t100\n",
                            "R\tnightmare\ttrue\t4\tKestrel\t802.40\t80\n")


def receipt(total: float, attempt: int = 1) -> str:
    """What the race's Lua script writes when the run reaches the true ending on nightmare (its
    start time tells one attempt from the next)."""
    splits = [f'{{"i":{i},"map":"Level {i}","t":{16.0 * i:.2f}}}' for i in range(46)]
    splits.append(f'{{"i":46,"map":"ENDING:true","t":{total:.2f}}}')
    return ('{"week":"2026-W50","seed":"20261207","difficulty":"nightmare","status":"running",'
            f'"started":"2026-12-07T20:{attempt:02d}:00","ending":"","total":{total:.2f},'
            f'"splits":[{",".join(splits)}]}}')


def organiser_files(folder: Path) -> dict:
    """Placeholders for what the organiser supplies: the UE4SS loader files and the race's Lua
    mod. Returns the CMake settings that put them into the package."""
    files = {
        "ue4ss/dwmapi.dll": b"MZ proxy loader placeholder\0" * 32,
        "ue4ss/ue4ss/UE4SS.dll": b"MZ mod loader placeholder\0" * 64,
        "ue4ss/ue4ss/UE4SS-settings.ini": b"[General]\r\nConsoleEnabled = 0\r\n",
        "KVRWeekly/Scripts/main.lua": b"-- weekly race script (placeholder)\n",
        "KVRWeekly/enabled.txt": b"",
        "race.lss": b'<?xml version="1.0"?><Run><GameName>Escape the Hollowmaze</GameName></Run>',
    }
    for name, data in files.items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(data)
    return {"KVR_UE4SS_DIR": folder / "ue4ss", "KVR_WEEKLY_MOD_DIR": folder / "KVRWeekly",
            "KVR_SPLITS_FILE": folder / "race.lss"}


# A card shows a new state within one repaint (the cards poll their files at most 250 ms apart).
REPAINT_S = 0.3
# A tab click starts the board's slide, which is over in about a quarter of a second.
BOARD_SLIDE_S = 0.3


class PlayerRace:
    def __init__(self, wine: Wine, base: Path, package: Path, shots: Path = None, log=print):
        self.wine, self.base, self.package, self.shots, self.say = wine, base, package, shots, log
        # With screenshots the race takes its time, so every stage stays on screen a moment.
        self.pace = 1.0 if shots else 0.25
        self.poll_s = 0.05  # how often the race's files are looked at
        self.server_pause_s = 0.4 * self.pace  # a real server takes a moment to answer
        self.prefix_c = PREFIX / "drive_c"
        self.local = self.prefix_c / "users" / _wine_user(self.prefix_c) / "AppData" / "Local"
        self.data = self.local / "KVR-Race" / "data"
        self.livesplit_dir = self.prefix_c / "Program Files" / "LiveSplit"
        self.server = RaceServer()
        self.livesplit = None
        self.rounds = 0

    # ---- the player's PC ------------------------------------------------------------------
    def prepare(self, add_organiser_files=False):
        shutil.rmtree(self.local / "KVR-Race", ignore_errors=True)
        self.player_dir = self.base / "我的比赛包"
        with zipfile.ZipFile(self.package) as z:
            z.extractall(self.base / "unpacked")
        top = next((self.base / "unpacked").iterdir())
        shutil.move(str(top), self.player_dir)
        if add_organiser_files:
            files = organiser_files(self.base / "organiser")
            shutil.copytree(files["KVR_UE4SS_DIR"], self.player_dir / "mod", dirs_exist_ok=True)
            shutil.copytree(files["KVR_WEEKLY_MOD_DIR"],
                            self.player_dir / "mod" / "ue4ss" / "Mods" / "KVRWeekly",
                            dirs_exist_ok=True)
        self.pc = make_steam_pc(self.wine, self.base / "pc", library_names=("游戏/SteamLibrary",),
                                accounts=[Account(persona=PLAYER)])
        self.game_dir = self.pc.game_exe.parent
        # A real Steam takes a moment to bring the game up; meanwhile the start window says so.
        self.pc.steam_launches(self.pc.game_exe, delay_ms=int(1500 * self.pace))
        # LiveSplit where its installer puts it, pointing at some other layout.
        self.livesplit_dir.mkdir(parents=True, exist_ok=True)
        shutil.copy(find_exe("kvr_cmdline_recorder.exe"), self.livesplit_dir / "LiveSplit.exe")
        (self.livesplit_dir / "LiveSplit.stay").write_text("600000")  # stays up like LiveSplit
        (self.livesplit_dir / "settings.cfg").write_text(
            '<?xml version="1.0" encoding="UTF-8"?><Settings version="1.8.17"><RecentLayouts>'
            '<LayoutPath>C:\\old.lsl</LayoutPath></RecentLayouts></Settings>', encoding="utf-8")
        self.server.answer("/week/current", 200, json.dumps(WEEK))
        self.server.answer("/leaderboard.tsv", 200, BOARD, "text/tab-separated-values")
        self.server.accept(token="tok-demo", rank=2, points=120)
        self.server.start()
        # Reset before each race, ended as the game writes its receipt.
        self.livesplit = LiveSplitPeer(style="current", phase="Ended", final=RUN_TIME,
                                       last_split=RUN_TIME,
                                       ends_when=(self.data / "receipt.json").exists).start()
        # A message box would stop the race until someone answers it: answer it and keep it.
        self.boxes = BoxCloser(self.wine, self.base / "boxes", 1800)
        # A desktop behind the windows, so the screenshots show what a player's screen shows.
        self.backdrop = self.wine.start(find_exe("kvr_window_tool.exe"), "backdrop") \
            if self.shots else None
        ini = self.player_dir / "launcher.ini"
        # The shipped server setting names the real race server; this PC's is on loopback.
        text = ini.read_text(encoding="utf-8")
        ini.write_text("\n".join(f"server={self.server.base_url}\r" if line.startswith("server=")
                                 else line for line in text.split("\n")), encoding="utf-8")

    def cleanup(self):
        if getattr(self, "boxes", None):
            self.boxes.stop()
        if getattr(self, "backdrop", None):
            self.wine.run("taskkill", "/f", "/im", "kvr_window_tool.exe", timeout=60)
        if self.livesplit:
            self.livesplit.stop()
        self.server.stop()
        end_fake_games(self.wine)
        self.wine.run("taskkill", "/f", "/im", "kvr_overlay.exe", timeout=60)
        self.wine.run("taskkill", "/f", "/im", "kvr_result.exe", timeout=60)
        self.wine.run("taskkill", "/f", "/im", "LiveSplit.exe", timeout=60)
        self.wine.reg_delete(STEAM_KEY)
        shutil.rmtree(self.livesplit_dir, ignore_errors=True)

    # ---- one race --------------------------------------------------------------------------
    def game_script(self):
        d = winpath(self.data)
        self.pc.game_exe.with_name("receipt.prepared.json").write_text(
            receipt(RUN_TIME + 3.1, self.rounds))
        self.pc.game_exe.with_name("result.prepared.json").write_text(receipt(RUN_TIME, self.rounds))
        receipt_path = f"{d}\\receipt.json"
        self.pc.game_script(
            "window Escape the Hollowmaze",
            f"sleep {int(2500 * self.pace)}",
            f'write "{d}\\timer.txt" 1|731.40|45|Final Escape',
            f"sleep {int(3000 * self.pace)}",
            f'write "{d}\\board.toggle" 1',
            f"sleep {int(3500 * self.pace)}",
            f'write "{d}\\board.toggle" 0',
            f'write "{d}\\timer.txt" 0|{RUN_TIME:.2f}|46|ENDING: true|1',
            f"sleep {int(2500 * self.pace)}",
            f'copy receipt.prepared.json "{receipt_path}"',
            f'copy result.prepared.json "{d}\\kvrw_result.json"',
            f'delete "{d}\\timer.txt"',
            "exit 0")

    def race(self):
        """One race from the double-click to the final card; returns what it saw, with the
        seconds from the double-click to each state of launch.state."""
        self.rounds += 1
        tag = f"run{self.rounds}"
        self.game_script()
        self.server.delay = self.server_pause_s
        # The last race's "done" is no news of this one.
        seen, last, state_times = [], read_text(self.data / "launch.state"), {}
        started = time.monotonic()
        launcher = self.wine.start(self.player_dir / "kvr_launcher.exe", cwd=self.player_dir)
        overlay = None
        shot_board = shot_timer = False
        while time.monotonic() - started < 240:
            state = read_text(self.data / "launch.state")
            if state and state != last:
                state_times.setdefault(state, time.monotonic() - started)
                seen.append(state)
                last = state
                self.say(f"  launch.state: {state}")
                if state in ("checking", "launching"):
                    self.shot(f"{tag}_start_window_{state}", "KVRStartWindow", settle=REPAINT_S)
                if state == "playing":
                    overlay = self.start_overlay()
                    self.server.delay = 2.5 * self.pace  # the progress card shows a while
            if overlay and not shot_timer and read_text(self.data / "timer.txt").startswith("1|"):
                shot_timer = self.shot(f"{tag}_overlay_timer", "KVRTimerWindow2",
                                       settle=REPAINT_S) or True
            if overlay and not shot_board and read_text(self.data / "board.toggle") == "1":
                if self.shots:
                    self.pick_board_tabs()
                shot_board = self.shot(f"{tag}_overlay_board", "KVRBoardWindow2",
                                       settle=BOARD_SLIDE_S) or True
            if read_text(self.data / "upload.state") == "uploading" and state == "uploading":
                self.shot(f"{tag}_progress_card", "KVRResultWindow", settle=REPAINT_S)
                break
            time.sleep(self.poll_s)
        if wait_for(lambda: read_text(self.data / "launch.state") == "done", timeout=120):
            seen.append("done")
        final = self.window_tool("rect", "KVRResultWindow", 20)
        self.shot(f"{tag}_final_card", "KVRResultWindow", settle=REPAINT_S)
        if final.rc == 0:
            self.close_final_card()
        launcher.wait(timeout=60)
        if overlay:
            wait_for(lambda: overlay.poll() is not None, timeout=30)
        self.server.delay = 0.0
        # Started without a console window, the core must not sit waiting for an Enter key.
        core_ended = wait_for(lambda: not self.running("kvr_launcher_core.exe"), timeout=30)
        return {"states": seen, "state_times": state_times, "log": self.log_since_start(),
                "final_card": final.rc == 0, "core_ended": core_ended,
                "boxes": self.boxes.texts()}

    def running(self, program):
        """Whether a program of the player's folder runs (Wine shows its Windows path)."""
        path = winpath(self.player_dir / program)
        for cmdline in Path("/proc").glob("[0-9]*/cmdline"):
            try:
                if path in cmdline.read_bytes().decode("utf-8", "replace"):
                    return True
            except OSError:
                pass
        return False

    def window_tool(self, *args):
        return self.wine.run(find_exe("kvr_window_tool.exe"), *map(str, args), timeout=60)

    def pick_board_tabs(self):
        """The player clicks the 噩梦 and True tabs, where this week's runs are (the tool waits
        for the board to show before each click)."""
        self.window_tool("click", "KVRBoardWindow2", 641, 113)
        self.window_tool("click", "KVRBoardWindow2", 484, 166)

    def close_final_card(self):
        """A click closes the card; Escape does too, should the click have gone elsewhere."""
        self.window_tool("click", "KVRResultWindow")
        if not wait_for(lambda: not self.running("kvr_result.exe"), timeout=10):
            self.say("  final card still open after the click, closing it with Escape")
            self.window_tool("key", "KVRResultWindow", 27)

    def start_overlay(self):
        """What the game's mod does once the game runs: timer on, board hidden, overlay up."""
        (self.data / "timer.enabled").write_text("1")
        return self.wine.start(self.player_dir / "kvr_overlay.exe", cwd=self.player_dir)

    def shot(self, name, window, settle):
        """A screenshot once the window shows and has had `settle` seconds to draw its state."""
        if not self.shots:
            return False
        if self.window_tool("rect", window, 30).rc != 0:
            self.say(f"  {window} did not show; screenshot {name}.png taken anyway")
        time.sleep(settle)
        self.shots.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", str(self.shots / f"{name}.png")],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        self.say(f"  screenshot {name}.png")
        return True

    # ---- what came of it -------------------------------------------------------------------
    def log(self):
        return read_text(self.player_dir / "launcher.log").replace("\r\n", "\n")

    def log_since_start(self):
        log = self.log()
        return log[log.rfind("=== KVR launcher start"):]

    def submits(self):
        return [r.json() for r in self.server.requests_to("/submit")]


def _wine_user(drive_c: Path) -> str:
    users = [p.name for p in (drive_c / "users").iterdir() if p.name not in ("Public", "Default")]
    return users[0]


def main():
    parser = argparse.ArgumentParser(description="Plays two whole races for the demo.")
    parser.add_argument("--package")
    parser.add_argument("--out")
    parser.add_argument("--organiser-files", metavar="DIR",
                        help="write placeholder organiser files and print their CMake settings")
    args = parser.parse_args()
    if args.organiser_files:
        settings = organiser_files(Path(args.organiser_files).resolve())
        print(" ".join(f"-D{k}={v}" for k, v in settings.items()))
        return 0
    out = Path(args.out).resolve()
    base = out / "pc"
    shutil.rmtree(base, ignore_errors=True)
    base.mkdir(parents=True)
    race = PlayerRace(Wine(out / "wine-io"), base, Path(args.package), shots=out / "screenshots")
    try:
        race.prepare()
        print("== first race ==")
        first = race.race()
        print("== second race (updated board, nothing to reinstall) ==")
        race.server.answer("/leaderboard.tsv", 200, BOARD_AFTER, "text/tab-separated-values")
        second = race.race()
    finally:
        race.cleanup()
    (out / "launcher.log").write_text(race.log(), encoding="utf-8")
    submits = race.submits()
    print("== launcher.log of the first race ==")
    print(first["log"])
    print("== launcher.log of the second race ==")
    print(second["log"])
    print("== what the race server received ==")
    for body in submits:
        print(f"  player={body.get('player')!r} difficulty={body.get('difficulty')!r} "
              f"ending={body.get('ending')!r} total={body.get('total')!r}")
    if second["boxes"]:
        print("message boxes shown:", *second["boxes"], sep="\n")
    ok = (len(submits) == 2 and not second["boxes"] and "installed " not in second["log"]
          and "=== KVR launcher done ===" in second["log"])
    print(f"demo {'OK' if ok else 'FAILED'}: screenshots and log in {out}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
