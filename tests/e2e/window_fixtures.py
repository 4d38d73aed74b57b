"""Window programs under Wine + Xvfb, for the overlay and chooser scenarios.

    from window_fixtures import race_data, Windows   # race_data is a pytest fixture

    d = race_data                       # LOCALAPPDATA (non-ASCII, with a blank) and its data dir
    d.write("timer.txt", "1|10|2|Hall")
    win = Windows(wine)
    proc = win.start(d, "kvr_overlay.exe")            # started with LOCALAPPDATA set inside Wine
    st = win.wait("KVRTimerWindow2", visible=True)    # {"visible": 1, "x": ..., "pid": ...} or None
    st = win.write_and_wait(d.data / "timer.txt", "", "KVRTimerWindow2", visible=False)
    st["after"]                                        # ms from the write to the hidden strip
    win.key("KVRChooseWindow", 13); win.click("KVRChooseWindow", 280, 440)
    win.screenshot("overlay_timer_running", st)       # <build>/screenshots/<name>.png, cropped
    win.shot_until("overlay_timer", st, lambda shot: shot.pixel(23, 27)[1] > 150)
    win.end(proc, st)                                  # ends the Windows process by its pid

Window state and input go through kvr_window_tool.exe (tests/helpers/window_tool): keys and the
wheel are posted to the window by class name, clicks are real, so no window manager is needed.
Checks on what a window shows take screenshots until the picture is there (shot_until), with a
generous bound, rather than sleeping first and hoping it is.
"""
import os
import re
import shutil
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

import pytest

from card_windows import until
from conftest import BUILD, Wine, find_exe, winpath

GAME_NAME = "Hollowmaze-Win64-Shipping.exe"
SCREENSHOTS = BUILD / "screenshots"


@dataclass
class RaceData:
    local: Path  # what LOCALAPPDATA points to
    data: Path   # LOCALAPPDATA\KVR-Race\data

    def write(self, name, content):
        self.data.mkdir(parents=True, exist_ok=True)
        path = self.data / name
        path.write_bytes(content.encode("utf-8") if isinstance(content, str) else content)

    def remove(self, name):
        (self.data / name).unlink(missing_ok=True)

    def read(self, name) -> bytes:
        return (self.data / name).read_bytes()


@pytest.fixture
def race_data(tmp_path):
    local = tmp_path / "本地 数据"
    local.mkdir()
    return RaceData(local, local / "KVR-Race" / "data")


def parse_state(text):
    line = text.strip().splitlines()[-1] if text.strip() else ""
    if "visible=" not in line:
        return None
    return {k: int(v) for k, v in (kv.split("=") for kv in line.split())}


@dataclass
class Shot:
    path: Path
    origin: tuple  # where the window's top-left corner lies in the picture

    def pixel(self, x, y):
        """(r, g, b) at a point given in the window's client coordinates."""
        return pixel(self.path, self.origin[0] + x, self.origin[1] + y)

    def differs(self, other: "Shot", x, y, w, h) -> int:
        """Pixels that differ from another shot of the same window in a client rectangle."""
        return differing_pixels(self.path, other.path, self.crop(x, y, w, h))

    def darkest(self, x, y, w, h) -> int:
        """The lowest grey level (0..255) in a client rectangle: text on the light cards is dark."""
        out = subprocess.run(["convert", str(self.path), "-crop", self.crop(x, y, w, h),
                              "-colorspace", "Gray", "-format", "%[fx:round(255*minima)]", "info:"],
                             check=True, capture_output=True, text=True,
                             stdin=subprocess.DEVNULL, timeout=60).stdout
        return int(out.strip())

    def crop(self, x, y, w, h) -> str:
        return f"{w}x{h}+{self.origin[0] + x}+{self.origin[1] + y}"


class Windows:
    def __init__(self, wine: Wine):
        self.wine = wine
        self.tool_exe = find_exe("kvr_window_tool.exe")

    def start(self, race_data: RaceData, program: str, *args, local=None):
        """Starts a program of this build with LOCALAPPDATA set (None: the data's folder; "":
        unset) and returns the Popen of the launcher, whose exit code is the program's."""
        value = winpath(race_data.local) if local is None else local
        return self.wine.start(find_exe("kvr_envrun.exe"), f"LOCALAPPDATA={value}", "--",
                               winpath(find_exe(program)), *args)

    def tool(self, *args):
        return self.wine.run(self.tool_exe, *map(str, args), timeout=60)

    def state(self, cls):
        return parse_state(self.tool("state", cls).out)

    def wait(self, cls, visible=True, timeout_ms=15000):
        """The window's state once it is shown (or hidden); None when that does not happen."""
        r = self.tool("wait", cls, 1 if visible else 0, timeout_ms)
        return parse_state(r.out) if r.rc == 0 else None

    def write_and_wait(self, path: Path, text: str, cls, visible, timeout_ms=3000):
        """Writes the file from inside Wine, then waits for the window; the state gains "after",
        the milliseconds from the write to the change."""
        r = self.tool("write-wait", winpath(path), text, cls, 1 if visible else 0, timeout_ms)
        return parse_state(r.out) if r.rc == 0 else None

    def rewrite_watch(self, path: Path, cls, count, gap_ms) -> int:
        """Rewrites a timer file `count` times as the in-game script does (truncate, then the
        record `gap_ms` later) and returns how often the window was seen hidden meanwhile."""
        r = self.tool("rewrite-watch", winpath(path), cls, count, gap_ms)
        assert r.rc == 0, r.out
        return int(r.out.strip().split("=")[1])

    def key(self, cls, vk):
        assert self.tool("key", cls, vk).rc == 0

    def click(self, cls, x, y):
        assert self.tool("click", cls, x, y).rc == 0

    def wheel(self, cls, delta):
        assert self.tool("wheel", cls, delta).rc == 0

    def screenshot(self, name, state=None, margin=12):
        """The Xvfb screen, cropped to the window (with a margin) when its state is given."""
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        out = SCREENSHOTS / f"{name}.png"
        cmd = ["import", "-window", "root"]
        x = y = 0
        if state:
            x, y = max(0, state["x"] - margin), max(0, state["y"] - margin)
            w = state["x"] + state["w"] + margin - x
            h = state["y"] + state["h"] + margin - y
            cmd += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        subprocess.run(cmd + [str(out)], check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        return Shot(out, (state["x"] - x, state["y"] - y) if state else (0, 0))

    def shot_until(self, name, state, ready, timeout=15.0):
        """Screenshots of the window (margin 24) until `ready(shot)` holds."""
        return until(lambda: self.screenshot(name, state, margin=24), ready, timeout)

    def settled(self, name, state, area, ready=lambda shot: True, timeout=15.0):
        """A screenshot once an animation in the client rectangle `area` (x, y, w, h) has run
        out, which two shots in a row that agree there show, and `ready(shot)` holds."""
        def calm_pair():
            before = self.screenshot(name + "_before", state, margin=24)
            return before, self.screenshot(name, state, margin=24)
        before, shot = until(calm_pair, lambda pair: pair[1].differs(pair[0], *area) == 0
                             and ready(pair[1]), timeout)
        before.path.unlink(missing_ok=True)
        return shot

    def end(self, proc, state=None):
        """Ends a program still running: its Windows process by pid, then the launcher."""
        if proc.poll() is not None:
            return
        if state and state.get("pid"):
            self.wine.run("taskkill", "/f", "/pid", str(state["pid"]), timeout=60)
        try:
            proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, 9)
            proc.wait()


def fake_game(folder: Path, *script_lines) -> Path:
    """A copy of the fake game that runs the given script when started."""
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / GAME_NAME
    shutil.copy(find_exe(GAME_NAME), exe)
    exe.with_suffix(".script").write_text("\n".join(script_lines) + "\n", encoding="utf-8")
    return exe


def wait_exit(proc, timeout):
    """The exit code, or None when the process is still running after `timeout` seconds."""
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


def since(t0):
    return time.monotonic() - t0


def pixel(png: Path, x: int, y: int):
    """(r, g, b) of one pixel of a screenshot."""
    out = subprocess.run(["convert", str(png), "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         check=True, capture_output=True, text=True, stdin=subprocess.DEVNULL,
                         timeout=60).stdout
    values = out.strip().splitlines()[-1].split("(", 1)[1].split(")", 1)[0].split(",")
    return tuple(int(float(v)) for v in values[:3]) if len(values) >= 3 else (int(values[0]),) * 3


def differing_pixels(a: Path, b: Path, crop: str) -> int:
    """How many pixels differ between two screenshots inside a WxH+X+Y crop."""
    r = subprocess.run(["compare", "-metric", "AE", f"{a}[{crop}]", f"{b}[{crop}]", "null:"],
                       capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=60)
    return int(float(re.match(r"[0-9.e+]+", r.stderr).group(0)))
