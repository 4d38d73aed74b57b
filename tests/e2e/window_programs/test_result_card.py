"""kvr_result under Wine + Xvfb: the progress card follows upload.state, the final card shows the
outcome with rank and points and closes on a click, on a 150 % display too; odd command lines
never crash it."""
import time

import pytest

from card_windows import (backdrop, card_drawn, click, dark_pixels,  # noqa: F401
                          exited_within, press_key, screenshot, screenshot_until, stop,
                          window_rect)
from harness import find_exe, winpath

CLASS = "KVRResultWindow"


def result_card(wine, *args):
    return wine.start(find_exe("kvr_result.exe"), *args)


def upload_state(tmp_path, word: bytes):
    data = tmp_path / "上传 数据"
    data.mkdir(exist_ok=True)
    state = data / "upload.state"
    state.write_bytes(word)
    return state


@pytest.mark.parametrize("final_word", [b"done", b"fail"])
def test_progress_card_stays_while_uploading_and_closes_on_the_final_word(
        wine, tmp_path, backdrop, final_word):
    state = upload_state(tmp_path, b"uploading")
    proc = result_card(wine, "--mode", "progress", "--state", winpath(state))
    try:
        rect = window_rect(wine, CLASS)
        assert rect is not None and rect[2:] == (460, 300)
        if final_word == b"done":
            pixels = screenshot_until("result_progress", rect,
                                      lambda px: dark_pixels(px, 60, 52, 340, 40) > 300)
            assert card_drawn(pixels) and dark_pixels(pixels, 60, 52, 340, 40) > 300  # Uploading
        state.write_bytes(b"")  # a rewrite in progress is no news
        time.sleep(0.5)  # a few of the card's 150 ms polls, none of which may close it
        assert proc.poll() is None
        state.write_bytes(final_word)
        # The launcher core waits at most 4 s for the progress card before it goes on.
        assert exited_within(proc, 4)
    finally:
        stop(proc)


FINAL_CARDS = {
    "uploaded": ["--ok", "1", "--kind", "uploaded", "--total", "754.32", "--difficulty",
                 "nightmare", "--ending", "true", "--rank", "3", "--points", "120", "--msg",
                 "成绩已记录 - new personal best!"],
    "failed": ["--ok", "0", "--kind", "network", "--total", "612.5", "--difficulty", "normal",
               "--ending", "main"],
    "no_result": ["--ok", "0", "--kind", "unfinished", "--difficulty", "easy", "--ending",
                  "arcade", "--msg", "No finish detected - this run will not count."],
}


def rank_pill_pixels(pixels):
    """Pixels of the rank pill's pale gold fill (drawn only for an accepted run)."""
    count = 0
    for row in pixels[192:226]:
        for r, g, b in row[120:360]:
            if r > 0xF0 and 0xD4 < g < 0xEA and 0x98 < b < 0xB8:
                count += 1
    return count


@pytest.mark.parametrize("outcome", list(FINAL_CARDS))
def test_final_card_shows_the_outcome_and_closes_on_a_click(wine, tmp_path, backdrop, outcome):
    proc = result_card(wine, *FINAL_CARDS[outcome])
    try:
        rect = window_rect(wine, CLASS)
        assert rect is not None and rect[2:] == (480, 380)
        pixels = screenshot_until(f"result_final_{outcome}", rect,
                                  lambda px: dark_pixels(px, 60, 46, 360, 40) > 200)
        assert card_drawn(pixels) and dark_pixels(pixels, 60, 46, 360, 40) > 200  # the title
        if outcome == "uploaded":
            assert rank_pill_pixels(pixels) > 3000
            assert dark_pixels(pixels, 120, 192, 240, 34) > 150  # Rank #3    +120 pts
        else:
            assert rank_pill_pixels(pixels) == 0
        assert proc.poll() is None
        assert click(wine, CLASS, 40, 300)
        assert exited_within(proc, 5)
    finally:
        stop(proc)


def test_on_a_150_percent_display_the_card_is_drawn_half_as_large_again(wine, backdrop):
    """The programs declare per-monitor DPI awareness: Windows does not stretch them, they draw
    themselves at the display's scale (crisp text, the size the player's other windows have)."""
    desktop = r"HKCU\Control Panel\Desktop"
    wine.reg_add(desktop, "LogPixels", "144", "REG_DWORD")
    try:
        proc = result_card(wine, *FINAL_CARDS["uploaded"])
        rect = window_rect(wine, CLASS)
    finally:
        wine.run("reg", "delete", desktop, "/v", "LogPixels", "/f")
    try:
        assert rect == ((1600 - 720) // 2, (1000 - 570) // 2, 720, 570)
        pixels = screenshot_until("result_final_uploaded_144dpi", rect,
                                  lambda px: dark_pixels(px, 90, 69, 540, 60) > 450)
        assert card_drawn(pixels)
        assert dark_pixels(pixels, 90, 69, 540, 60) > 450  # UPLOADED, at 1.5 times its place
        assert dark_pixels(pixels, 180, 288, 360, 51) > 300  # Rank #3    +120 pts
    finally:
        stop(proc)


def test_final_card_also_closes_with_escape(wine, backdrop):
    proc = result_card(wine, "--ok", "1", "--rank", "1", "--points", "300")
    try:
        assert window_rect(wine, CLASS) is not None
        assert press_key(wine, CLASS, 0x1B)
        assert exited_within(proc, 5)
    finally:
        stop(proc)


@pytest.mark.parametrize("args", [
    ["--rank", "abc", "--points", "--total", "-5", "--ok"],
    ["--msg", "x" * 5000, "--difficulty", "\"quoted\"", "--kind", ""],
    ["--unknown", "value", "stray", "--mode"],
    ["--mode", "progress", "--state", "C:\\no\\such\\dir\\upload.state", "--rank", "2"],
])
def test_odd_command_lines_still_show_a_card(wine, backdrop, args):
    proc = result_card(wine, *args)
    try:
        assert window_rect(wine, CLASS) is not None, args
        time.sleep(0.5)  # a crash would take it down within its first few timer ticks
        assert proc.poll() is None, "the card must not crash or vanish"
    finally:
        stop(proc)
