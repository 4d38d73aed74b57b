"""A whole race run for the fault scenarios, with one thing broken at a time.

The real launcher core runs from a player folder with a Chinese name; Steam is found through its
registry key, starts the fake game on -applaunch, and the game writes the run's receipt (and,
when asked, kvrw_result.json) before it exits, as the in-game script would. The race server
peer answers, the result card is a stand-in that records how it was started, and the LiveSplit
peer comes in when a scenario asks for it.

Every scenario checks the same three things (see Rig.check_ended and Rig.where_is):
- the run reaches its end: exit 0, "=== KVR launcher done ===", launch.state "done";
- the log says what went wrong, in a line of its own;
- nothing is lost: a finished run was accepted by the server or waits in "pending".

    def test_x(rig):
        rig.server.slow(40)                  # break something
        rig.game_writes(receipt=rig.finished_receipt())
        run = rig.race()
        rig.check_ended(run)
        assert rig.where_is(rig.run_id) == "pending"
"""
import itertools
import os
from pathlib import Path

import pytest

from conftest import find_exe, read_text, wait_for, winpath
from peer_fixtures import Player, game_leaves, livesplit, race_server, receipt_text  # noqa: F401
from steam_fixtures import Account, steam_pc  # noqa: F401

DONE = "=== KVR launcher done ==="
PRESS_ENTER = "\n按回车键退出..."
WEEK_FILES = ["week.json", "leaderboard.json", "board_data.txt", "board_en.txt", "board.txt",
              "board.tsv"]
_run_ids = itertools.count(1)


class Rig:
    def __init__(self, wine, player: Player, pc, server, tmp_path: Path):
        self.wine = wine
        self.player = player
        self.pc = pc
        self.server = server
        self.tmp = tmp_path
        self.run_id = ""
        # Steam and the game are found the way a player's PC has them: through the registry.
        player.settings.pop("game", None)
        player.settings["server"] = server.base_url
        server.strict_json = True  # as a real server, it refuses a body that is not JSON
        self.game_writes()

    # ---- the run --------------------------------------------------------------------------
    @property
    def data(self) -> Path:
        return self.player.data

    def use_data_dir(self, folder: Path, setting: str):
        """Moves the data directory: `folder` as Linux sees it, `setting` as launcher.ini says."""
        folder.mkdir(parents=True, exist_ok=True)
        self.player.data = folder
        self.player.settings["data"] = setting

    def finished_receipt(self, **options) -> str:
        """A finished run's receipt carrying a fresh run id, so the run can be found later."""
        self.run_id = f"run-{os.getpid()}-{next(_run_ids)}"
        extra = f'"run_id":"{self.run_id}",' + options.pop("extra", "")
        return receipt_text(extra=extra, **options)

    def game_writes(self, receipt=None, kvrw=None, then_ms=0):
        """What the game leaves when it exits: the receipt and kvrw_result.json (text or bytes;
        None writes nothing). then_ms: the game stays that long after writing them."""
        game_leaves(self.pc.game_exe, {"receipt": (receipt, self.player.receipt),
                                       "kvrw": (kvrw, self.data / "kvrw_result.json")},
                    then_ms=then_ms)

    def cache_week_files(self):
        """Week files from an earlier run; returns their contents for comparison."""
        cached = {}
        for i, name in enumerate(WEEK_FILES):
            cached[name] = f"cached {name} {i}\n".encode()
            (self.data / name).write_bytes(cached[name])
        (self.data / "week.json").write_bytes(b'{"week":"2026-W43","seed":"111"}')
        cached["week.json"] = (self.data / "week.json").read_bytes()
        return cached

    def race(self, env=None, timeout=240, **settings):
        self.player.ini(**settings)
        if env:
            return self.wine.with_env(env, self.player.core, stdin_text="\n", timeout=timeout)
        return self.player.race(timeout=timeout)

    # ---- what came of it ------------------------------------------------------------------
    def log(self) -> str:
        return self.player.log_since_last_start()

    def check_ended(self, run, state_file=True):
        log = self.log()
        assert run.rc == 0, run.out[-2000:]
        assert log.endswith(DONE + "\n"), log[-2000:]
        assert run.out.endswith(DONE + "\n" + PRESS_ENTER)
        if state_file:
            assert (self.data / "launch.state").read_bytes() == b"done"

    def accepted_bodies(self):
        """Submit bodies the server accepted and whose answer went out whole."""
        return [r.body for r in self.server.requests_to("/submit")
                if r.delivered and r.status == 200 and b'"accepted": true' in r.answer]

    def where_is(self, run_id) -> str:
        """Where the run with this id ended up: "server", "pending", "refused", "receipt" (left
        in place) or "lost"."""
        key = run_id.encode()
        if "stage: upload done (ok=1)" in self.log() and any(
                key in body for body in self.accepted_bodies()):
            return "server"
        pending = self.data / "pending"
        if any(key in p.read_bytes() for p in pending.glob("*.json")):
            return "pending"
        if any(key in p.read_bytes() for p in pending.glob("refused/*.json")):
            return "refused"
        if self.player.receipt.exists() and key in self.player.receipt.read_bytes():
            return "receipt"
        return "lost"

    def card(self):
        """The final card's command line."""
        return self.player.card_lines(1)[-1]


@pytest.fixture
def rig(wine, player_dir, tmp_path, race_server, steam_pc):  # noqa: F811
    pc = steam_pc()
    player = Player(wine, player_dir, tmp_path / "data")
    return Rig(wine, player, pc, race_server, tmp_path)


class Locker:
    """Holds a file open without sharing, from another Windows process, until released."""

    def __init__(self, wine, path: Path, folder: Path):
        folder.mkdir(parents=True, exist_ok=True)
        self.ready = folder / f"lock-{path.name}.ready"
        self.proc = wine.start(find_exe("kvr_file_locker.exe"), winpath(path), winpath(self.ready))
        assert wait_for(lambda: read_text(self.ready), timeout=60) == "locked"

    def release(self):
        self.ready.unlink(missing_ok=True)
        try:
            self.proc.wait(timeout=30)
        except Exception:  # noqa: BLE001 - a locker that hangs must not hang the suite
            os.killpg(self.proc.pid, 9)


@pytest.fixture
def lock_file(wine, tmp_path):
    """lock_file(path): another process holds the file open without sharing."""
    lockers = []

    def lock(path):
        locker = Locker(wine, Path(path), tmp_path / "locks")
        lockers.append(locker)
        return locker
    yield lock
    for locker in lockers:
        locker.release()
