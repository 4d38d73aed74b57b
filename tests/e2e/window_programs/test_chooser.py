"""kvr_chooser under Wine + Xvfb: keys and real clicks pick the difficulty, the choice lands in
choice.txt without a line end, Escape leaves it alone. Screenshots go to
<build>/screenshots/chooser_*.png."""
import shutil

from card_windows import backdrop, click  # noqa: F401
from harness import BUILD
from window_fixtures import Windows, race_data, wait_exit  # noqa: F401

CHOOSER = "KVRChooseWindow"
W, H = 560, 500
ENTER, ESCAPE = 13, 27


def panel_centre(i):
    return 300, 108 + 102 * i + 43


def warmth(rgb):
    return rgb[0] - rgb[2]


# Where the ring around a chosen panel widens and fades, left of the breathing badges.
RING_AROUND_PANELS = (10, 86, 350, 334)


def selected_panel(shot):
    """The panel whose fill is the warmest: the selected one."""
    scores = [warmth(shot.pixel(300, 108 + 102 * i + 12)) for i in range(3)]
    return scores.index(max(scores))


def start(wine, race_data, **kw):
    win = Windows(wine)
    proc = win.start(race_data, "kvr_chooser.exe", **kw)
    st = win.wait(CHOOSER, visible=True)
    assert st and (st["w"], st["h"]) == (W, H)
    assert (st["x"], st["y"]) == ((1600 - W) // 2, (1000 - H) // 2)
    return win, proc, st


def test_enter_at_once_writes_normal(wine, race_data, backdrop):
    win, proc, st = start(wine, race_data)
    shot = win.shot_until("chooser_normal", st, lambda shot: selected_panel(shot) == 1)
    assert selected_panel(shot) == 1
    win.key(CHOOSER, ENTER)
    assert wait_exit(proc, 20) == 0
    assert race_data.read("choice.txt") == b"normal"


def test_three_then_confirm_button_writes_nightmare(wine, race_data, backdrop):
    race_data.write("choice.txt", "easy")
    win, proc, st = start(wine, race_data)
    win.key(CHOOSER, ord("3"))
    win.screenshot("chooser_nightmare_pulse", st, margin=24)  # the ring, as it widens
    shot = win.settled("chooser_nightmare", st, RING_AROUND_PANELS,
                       lambda shot: selected_panel(shot) == 2)
    assert selected_panel(shot) == 2
    assert click(wine, CHOOSER, W // 2, H - 60)  # a real click on "进入游戏"
    assert wait_exit(proc, 20) == 0
    assert race_data.read("choice.txt") == b"nightmare"  # replaced, no line end


def test_escape_leaves_an_existing_choice_untouched(wine, race_data, backdrop):
    race_data.write("choice.txt", b"normal\r\n")
    win, proc, st = start(wine, race_data)
    win.key(CHOOSER, ord("1"))
    shot = win.shot_until("chooser_easy", st, lambda shot: selected_panel(shot) == 0)
    assert selected_panel(shot) == 0
    win.key(CHOOSER, ESCAPE)
    assert wait_exit(proc, 20) == 1
    assert race_data.read("choice.txt") == b"normal\r\n"


def test_click_on_a_panel_selects_it_with_sparks(wine, race_data, backdrop):
    win, proc, st = start(wine, race_data)
    assert click(wine, CHOOSER, *panel_centre(0))
    sparks = win.screenshot("chooser_click_sparks", st, margin=24)
    x, y = panel_centre(0)
    calm = win.settled("chooser_after_click", st, (x - 60, y - 60, 120, 120),
                       lambda shot: selected_panel(shot) == 0)
    assert selected_panel(calm) == 0
    assert sparks.differs(calm, x - 60, y - 60, 120, 120) > 30  # sparks around the click
    win.key(CHOOSER, ENTER)
    assert wait_exit(proc, 20) == 0
    assert race_data.read("choice.txt") == b"easy"


def test_without_localappdata_the_fallback_folder_is_created(wine, race_data):
    fallback = BUILD / "wineprefix" / "drive_c" / "KVR-race"
    shutil.rmtree(fallback, ignore_errors=True)
    try:
        win, proc, _ = start(wine, race_data, local="")
        win.key(CHOOSER, ENTER)
        assert wait_exit(proc, 20) == 0
        assert (fallback / "data" / "choice.txt").read_bytes() == b"normal"
    finally:
        shutil.rmtree(fallback, ignore_errors=True)


def test_a_choice_that_cannot_be_written_is_not_reported_as_made(wine, race_data):
    # "KVR-Race" is a file here, so the data folder cannot exist.
    (race_data.local / "KVR-Race").write_bytes(b"")
    win, proc, _ = start(wine, race_data)
    win.key(CHOOSER, ENTER)
    assert wait_exit(proc, 20) == 1
