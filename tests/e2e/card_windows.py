"""Support for the card window scenarios: a desktop backdrop, window rectangles, real clicks and
screenshots under Xvfb, all through kvr_window_tool.exe. Screenshots land in <build>/screenshots
so a person can look at them."""
import os
import subprocess
import time

import pytest

from conftest import BUILD, Wine, find_exe, wait_for

SHOTS = BUILD / "screenshots"


def require_display():
    if not os.environ.get("DISPLAY"):
        pytest.skip("card windows need an X display (Xvfb)")


def stop(proc):
    """Ends a program this test started (its whole process group) and reaps it."""
    if proc.poll() is None:
        os.killpg(proc.pid, 9)
    proc.wait()


def exited_within(proc, seconds):
    try:
        proc.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


class Backdrop:
    """A full-screen window in a desktop colour behind the cards, so the screenshots show what
    a player sees around a card's rounded corners."""

    def __init__(self, wine: Wine):
        self.proc = wine.start(find_exe("kvr_window_tool.exe"), "backdrop")
        wine.run(find_exe("kvr_window_tool.exe"), "wait", "KVRTestBackdrop", 1, 20000)

    def close(self):
        stop(self.proc)


def window_rect(wine: Wine, window_class: str, seconds=20):
    """(x, y, width, height) of the visible window of that class, or None."""
    r = wine.run(find_exe("kvr_window_tool.exe"), "rect", window_class, seconds)
    if r.rc != 0:
        return None
    x, y, w, h = (int(v) for v in r.out.split())
    return x, y, w, h


def click(wine: Wine, window_class: str, x=None, y=None) -> bool:
    args = ["click", window_class] + ([x, y] if x is not None else [])
    return wine.run(find_exe("kvr_window_tool.exe"), *args).rc == 0


def press_key(wine: Wine, window_class: str, virtual_key: int) -> bool:
    return wine.run(find_exe("kvr_window_tool.exe"), "key", window_class, virtual_key).rc == 0


def until(take, ready, timeout=15.0):
    """Calls `take()` until `ready` holds for what it gave, and returns that (the last one after
    `timeout` seconds): a check waits for what a window is to show, not for a time that usually
    suffices."""
    end = time.monotonic() + timeout
    while True:
        value = take()
        if ready(value) or time.monotonic() > end:
            return value


def screenshot_until(name: str, rect, ready, timeout=15.0):
    """Screenshots (as `screenshot` takes them) until `ready(pixels)` holds."""
    return until(lambda: screenshot(name, rect), ready, timeout)


def screenshot(name: str, rect, margin=24):
    """Saves the screen area of the window (with a margin of backdrop) as <name>.png and returns
    the window area's pixels, from that same picture, as rows of (r, g, b)."""
    SHOTS.mkdir(parents=True, exist_ok=True)
    x, y, w, h = rect
    left, top = max(0, x - margin), max(0, y - margin)
    png = SHOTS / f"{name}.png"
    subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root", "-crop",
                    f"{w + 2 * margin}x{h + 2 * margin}+{left}+{top}", "+repage", str(png)],
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    raw = SHOTS / f"{name}.ppm"
    subprocess.run(["convert", str(png), "-crop", f"{w}x{h}+{x - left}+{y - top}", "-depth", "8",
                    str(raw)], check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    pixels = read_ppm(raw)
    raw.unlink()
    return pixels


def read_ppm(path):
    """Rows of (r, g, b) from a binary PPM (P6, 8 bits)."""
    data = path.read_bytes()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    assert fields[0] == b"P6" and fields[3] == b"255", "expected an 8-bit binary PPM"
    body = data[pos:pos + width * height * 3]
    return [[tuple(body[(row * width + col) * 3:(row * width + col) * 3 + 3])
             for col in range(width)] for row in range(height)]


def dark_pixels(pixels, x, y, w, h, below=150):
    """How many pixels of the area are darker than `below` (text on the light card)."""
    count = 0
    for row in pixels[y:y + h]:
        for r, g, b in row[x:x + w]:
            if (r * 299 + g * 587 + b * 114) // 1000 < below:
                count += 1
    return count


def text_width(pixels, x, y, w, h, below=200):
    """The width of the line of text in the area: from its first to its last column that holds
    a dark pixel (0 when none does)."""
    columns = [col for col in range(x, x + w)
               if any((r * 299 + g * 587 + b * 114) // 1000 < below
                      for r, g, b in (row[col] for row in pixels[y:y + h]))]
    return columns[-1] - columns[0] + 1 if columns else 0


def changed_pixels(a, b, x, y, w, h):
    """How many pixels of the area differ between two screenshots of the same window."""
    return sum(1 for row_a, row_b in zip(a[y:y + h], b[y:y + h])
               for pa, pb in zip(row_a[x:x + w], row_b[x:x + w]) if pa != pb)


def wait_until_content(path, expected: bytes, timeout=30.0):
    def matches():
        try:
            return path.read_bytes() == expected
        except FileNotFoundError:
            return False
    return wait_for(matches, timeout=timeout, interval=0.05)
