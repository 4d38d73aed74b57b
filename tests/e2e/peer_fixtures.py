"""Peers and player setups for the scenarios of the upload side of a race run: the race server
peer, the LiveSplit peer and a player folder whose game, LiveSplit and result card are stand-ins
that record how they were started. Import the fixtures into a test module to use them."""
import os
import socket
import sys
import time
from pathlib import Path

import pytest

from conftest import BUILD, find_exe, read_text, wait_for, winpath

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "peers"))
from livesplit_peer import LiveSplitPeer  # noqa: E402
from race_server import RaceServer  # noqa: E402

RECORDER = "kvr_cmdline_recorder.exe"
GAME = "Hollowmaze-Win64-Shipping.exe"


@pytest.fixture
def race_server():
    server = RaceServer().start()
    yield server
    server.stop()


# The LiveSplit port is machine-wide: a demo or another build tree may hold it for a while.
PORT_WAIT_SECONDS = 60


@pytest.fixture
def livesplit():
    """Starts LiveSplit peers on 127.0.0.1:16834: livesplit(style=..., phase=..., hung=...).
    A port held by another program is waited for (up to a minute) instead of failing at once."""
    peers = []

    def start(**options):
        peer = LiveSplitPeer(**options).start(wait_port=PORT_WAIT_SECONDS)
        peers.append(peer)
        return peer
    yield start
    for peer in peers:
        peer.stop()


def _browser_running() -> bool:
    """Whether Wine's browser (or the recorder it starts) still runs for this build's prefix."""
    prefix = f"WINEPREFIX={BUILD / 'wineprefix'}".encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            cmdline = Path(f"/proc/{pid}/cmdline").read_bytes().lower()
            if b"winebrowser" not in cmdline and b"record-url" not in cmdline:
                continue
            if prefix in Path(f"/proc/{pid}/environ").read_bytes().split(b"\0"):
                return True
        except OSError:
            continue  # ended meanwhile
    return False


def opened_after_the_run(opened_urls):
    """The URLs the shell opened, counted once the launcher (call this after its run returned)
    and the browser it handed them to have ended: the shell opens a page asynchronously, so a
    count taken at the first URL would miss a second one still on its way."""
    assert wait_for(lambda: not _browser_running(), timeout=60)
    return opened_urls()


def unaccepting_port(port=0):
    """A loopback port that never completes a handshake: a listener with a full accept queue,
    whose further SYNs the kernel drops unanswered, as a hung server that stopped accepting
    leaves them. Returns the port and the sockets to close when done."""
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(0)
    port = listener.getsockname()[1]
    fillers = [socket.socket() for _ in range(3)]
    for filler in fillers:
        filler.setblocking(False)
        filler.connect_ex(("127.0.0.1", port))
    return port, [listener, *fillers]


def stand_in(folder: Path, name: str, stay_ms=0) -> Path:
    """The recorder copied as `name`; it keeps running `stay_ms` when asked to."""
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / name
    exe.write_bytes(find_exe(RECORDER).read_bytes())
    if stay_ms:
        exe.with_suffix(".stay").write_text(str(stay_ms))
    return exe


def started_lines(exe: Path):
    """The command lines a stand-in was started with, one per start."""
    return read_text(exe.with_suffix(".cmdline.txt")).splitlines()


class Player:
    """A player's package folder and data directory, set up for a race run or "--upload"."""

    def __init__(self, wine, folder: Path, data: Path):
        self.wine = wine
        self.dir = folder
        self.data = data
        self.data.mkdir(parents=True, exist_ok=True)
        self.core = folder / "kvr_launcher_core.exe"
        self.card = stand_in(folder, "kvr_result.exe")
        (folder / "game").mkdir()
        self.game = folder / "game" / GAME
        self.game.write_bytes(find_exe(GAME).read_bytes())
        self.receipt = folder / "receipt.json"
        self.settings = {"receipt": "%APPDIR%receipt.json", "data": winpath(data),
                         "game": winpath(self.game), "player": "IniPlayer"}

    def ini(self, **settings):
        self.settings.update(settings)
        text = "".join(f"{k}={v}\n" for k, v in self.settings.items() if v is not None)
        (self.dir / "launcher.ini").write_text(text, encoding="utf-8")

    def race(self, receipt=None, kvrw=None, timeout=180):
        """A race run whose game, while it runs, writes the receipt and kvrw_result.json given
        (None writes nothing), as the in-game script does."""
        self.ini()
        game_leaves(self.game, {"receipt": (receipt, self.receipt),
                                "kvrw": (kvrw, self.data / "kvrw_result.json")}, before_ms=1500)
        started = time.time()
        run = self.wine.run(self.core, stdin_text="\n", timeout=timeout)
        run.seconds = time.time() - started
        return run

    def upload(self, timeout=120):
        self.ini()
        return self.wine.run(self.core, "--upload", timeout=timeout)

    def log(self):
        return read_text(self.dir / "launcher.log").replace("\r\n", "\n")

    def log_since_last_start(self):
        log = self.log()
        return log[log.rfind("=== KVR launcher start"):]

    def card_lines(self, count):
        """The final card's command lines once there are `count` of them (the launcher does not
        wait for the card, so its record may come a moment after the run ends)."""
        def final_cards():
            return [l for l in started_lines(self.card) if "--mode progress" not in l]
        wait_for(lambda: len(final_cards()) >= count, timeout=20)
        return final_cards()

    def pending(self):
        folder = self.data / "pending"
        return sorted(folder.glob("*.json")) if folder.is_dir() else []


@pytest.fixture
def player(wine, player_dir, tmp_path):
    return Player(wine, player_dir, tmp_path / "data")


def game_leaves(game_exe: Path, files: dict, before_ms=1200, then_ms=0):
    """The fake game's script: it notes that it started ("started.txt" beside it), runs
    `before_ms`, then writes each file of `files` (name -> (content as text or bytes, or None for
    none; target)) as the in-game script does, stays `then_ms` more and exits."""
    lines = ["write started.txt up", f"sleep {before_ms}"]
    for name, (content, target) in files.items():
        if content is None:
            continue
        prepared = game_exe.parent / f"prepared_{name}.json"
        prepared.write_bytes(content if isinstance(content, bytes) else content.encode())
        lines.append(f'copy "{winpath(prepared)}" "{winpath(target)}"')
    if then_ms:
        lines.append(f"sleep {then_ms}")
    game_exe.with_suffix(".script").write_text("\n".join(lines) + "\n", encoding="utf-8")


def receipt_text(last_map="ENDING:main", splits=5, total="812.40", extra="", last_t=750.0):
    """A receipt as the in-game script writes it: `splits` splits evenly up to `last_t` seconds,
    the last one on `last_map`."""
    rows = [f'{{"i":{i},"map":"Level {i - 1}","t":{last_t * i / splits:.2f}}}'
            for i in range(1, splits)]
    rows.append(f'{{"i":{splits},"map":"{last_map}","t":{last_t:.2f}}}')
    return (f'{{"status":"running","ending":"","total":{total},{extra}'
            f'"splits":[{",".join(rows)}]}}')
