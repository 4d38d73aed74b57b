"""kvr_launcher under Wine + Xvfb with a stand-in launcher core: where it finds the core, how it
starts it, which stages it shows, and when the card closes."""
import shutil
import time

from card_windows import (backdrop, card_drawn, changed_pixels, text_width,  # noqa: F401
                          dark_pixels, exited_within, screenshot_until, stop, wait_until_content,
                          window_rect)
from harness import BUILD, find_exe, read_text, wait_for, winpath

CLASS = "KVRStartWindow"


def install(tmp_path, steps):
    """A player folder (non-ASCII, with a blank) with the start window and the stand-in core."""
    folder = tmp_path / "启动 目录"
    folder.mkdir()
    shutil.copy(find_exe("kvr_launcher.exe"), folder / "kvr_launcher.exe")
    shutil.copy(find_exe("kvr_fake_core.exe"), folder / "kvr_launcher_core.exe")
    (folder / "kvr_launcher_core.exe.steps").write_text("\n".join(steps) + "\n", encoding="utf-8")
    return folder


def local_app_data(tmp_path):
    local = tmp_path / "本地 数据"
    data = local / "KVR-Race" / "data"
    data.mkdir(parents=True)
    return local, data / "launch.state"


def start_launcher(wine, folder, local, cwd):
    """Starts kvr_launcher with LOCALAPPDATA set inside Wine, from another working directory."""
    return wine.start(find_exe("kvr_envrun.exe"), f"LOCALAPPDATA={winpath(local) if local else ''}",
                      "--", winpath(folder / "kvr_launcher.exe"), cwd=cwd)


def core_record(folder):
    path = folder / "kvr_launcher_core.exe.record.txt"
    return dict(line.split("=", 1) for line in read_text(path).splitlines() if "=" in line)


def test_card_follows_each_stage_and_closes_once_the_game_runs(wine, tmp_path, backdrop):
    local, state = local_app_data(tmp_path)
    state.write_bytes(b"done")  # left by an earlier run: must not close the new card
    folder = install(tmp_path, [f"state {winpath(state)}", "wait 2500", "write launching",
                                "wait 2500", "write uploading", "wait 2500", "write playing"])
    elsewhere = tmp_path / "工作 目录"
    elsewhere.mkdir()
    proc = start_launcher(wine, folder, local, elsewhere)
    try:
        rect = window_rect(wine, CLASS)
        assert rect is not None, "the start window did not appear"
        assert rect[2:] == (460, 300)
        before = None
        for word in ["checking", "launching", "uploading"]:
            assert wait_until_content(state, word.encode(), timeout=15), word

            def shows_new_stage(px):
                # The stage line is drawn where the card keeps it (centred, mid-height), and it
                # is no longer the previous stage's.
                return dark_pixels(px, 80, 140, 300, 26) > 40 and (
                    before is None or changed_pixels(px, before, 80, 140, 300, 26) > 40)
            pixels = screenshot_until(f"start_window_{word}", rect, shows_new_stage)
            assert proc.poll() is None, f"closed on {word}"
            assert card_drawn(pixels) and shows_new_stage(pixels), word
            before = pixels
        assert wait_until_content(state, b"playing", timeout=15)
        seen_playing = time.time()
        assert exited_within(proc, 10)
        # One poll is 150 ms; the rest is the process ending under Wine.
        assert time.time() - seen_playing < 3.0
    finally:
        stop(proc)

    record = core_record(folder)
    assert record["cwd"].rstrip("\\") == winpath(elsewhere)
    assert record["cmdline"] == '"' + winpath(folder) + '\\kvr_launcher_core.exe"'
    assert record["show"] == "0"  # SW_HIDE
    assert record["console"] == "0"


def test_playing_with_a_line_end_is_no_stage_and_does_not_close(wine, tmp_path, backdrop):
    local, state = local_app_data(tmp_path)
    folder = install(tmp_path, [f"state {winpath(state)}", "wait 800", "write playing\\r\\n",
                                "wait 4000", "write done"])
    proc = start_launcher(wine, folder, local, tmp_path)
    try:
        rect = window_rect(wine, CLASS)
        assert rect is not None
        assert wait_until_content(state, b"playing\r\n", timeout=15)
        # The word with a line end is no stage: "Preparing...", far shorter than "Checking game
        # files...".
        pixels = screenshot_until("start_window_preparing", rect,
                                  lambda px: 40 < text_width(px, 20, 140, 420, 26) < 110)
        assert 40 < text_width(pixels, 20, 140, 420, 26) < 110
        time.sleep(2.0)  # many polls, none of which may close the card
        assert proc.poll() is None, "a line end after the word must not close the card"
        assert wait_until_content(state, b"done", timeout=15)
        assert exited_within(proc, 10)
    finally:
        stop(proc)


def test_a_second_start_during_a_run_follows_it_and_starts_no_core(wine, tmp_path, backdrop):
    local, state = local_app_data(tmp_path)
    folder = install(tmp_path, [f"state {winpath(state)}", "mark", "write launching", "wait 4000",
                                "write playing", "wait 500"])
    first = start_launcher(wine, folder, local, tmp_path)
    second = None
    try:
        assert wait_until_content(state, b"launching", timeout=15)
        second = start_launcher(wine, folder, local, tmp_path)
        seen = set()

        def playing():
            seen.add(state.read_bytes())
            return b"playing" in seen
        # Until the run moves on, no "checking" may cover the stage it is at.
        assert wait_for(playing, timeout=20, interval=0.02)
        assert b"checking" not in seen
        assert exited_within(second, 10) and exited_within(first, 10)
    finally:
        stop(first)
        if second:
            stop(second)
    record = read_text(folder / "kvr_launcher_core.exe.record.txt")
    assert record.count("cmdline=") == 1


def test_without_localappdata_the_card_watches_the_fixed_fallback(wine, tmp_path, backdrop):
    fallback = BUILD / "wineprefix" / "drive_c" / "KVR-race" / "data"
    fallback.mkdir(parents=True, exist_ok=True)
    state = fallback / "launch.state"
    folder = install(tmp_path, ["state C:\\KVR-race\\data\\launch.state", "wait 1500",
                                "write playing"])
    proc = start_launcher(wine, folder, None, tmp_path)
    try:
        assert window_rect(wine, CLASS) is not None
        assert exited_within(proc, 20)
        assert state.read_bytes() == b"playing"
    finally:
        stop(proc)
        shutil.rmtree(fallback.parent, ignore_errors=True)
