"""Race runs with LiveSplit's TCP server absent, hung, dripping, taking no connection, answering
garbage or answering in pieces: the run ends, the log says what happened in readable lines, and
the run is uploaded with the receipt's time whenever LiveSplit gives none."""
import sys
import threading
import time
from pathlib import Path

import pytest

from harness import BoxCloser, in_order, message_boxes, wait_for, winpath  # noqa: F401
from fault_rig import rig  # noqa: F401
from peer_fixtures import (PORT_WAIT_SECONDS, livesplit, race_server,  # noqa: F401
                           unaccepting_port)
from steam_fixtures import steam_pc  # noqa: F401

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "peers"))
from livesplit_peer import PORT, port_is_free  # noqa: E402

NOT_REACHABLE = "WARNING: livesplit tcp server not reachable"


def log_lines_are_clean(rig):
    """Every byte of the log is UTF-8 text; the only control characters are the line ends."""
    data = (rig.player.dir / "launcher.log").read_bytes()
    data.decode("utf-8")
    assert all(b >= 0x20 or b in b"\r\n" for b in data)


def race_with_livesplit(rig):
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race(livesplit=winpath(rig.player.dir / "LiveSplit" / "LiveSplit.exe"))
    rig.check_ended(run)
    assert rig.where_is(rig.run_id) == "server"
    log_lines_are_clean(rig)
    return rig.server.requests_to("/submit")[-1].json()


@pytest.mark.parametrize("fault,line", [
    ("absent", NOT_REACHABLE),
    ("hung", "WARNING: livesplit tcp server connected but did not answer within 3 s"),
    ("dripping", "WARNING: livesplit tcp server connected but did not answer within 3 s"),
    ("hanging up", NOT_REACHABLE),
    ("unaccepted", "WARNING: livesplit tcp server did not accept the connection within 3 s")])
def test_livesplit_that_never_answers_leaves_the_receipt_time(rig, livesplit, message_boxes,
                                                              fault, line):
    held = []
    if fault in ("hung", "dripping", "hanging up"):
        livesplit(hung=fault == "hung", drip=fault == "dripping", hangs_up=fault == "hanging up")
    else:
        assert port_is_free(wait=PORT_WAIT_SECONDS), "another program holds the LiveSplit port"
        held = unaccepting_port(PORT)[1] if fault == "unaccepted" else []
    started = time.monotonic()
    try:
        payload = race_with_livesplit(rig)
    finally:
        for s in held:
            s.close()
    # Each try costs up to 3 s, yet the probe gives up after 15 s whatever the port does, and
    # the reading after the game after a few tries (a hundred seconds and more before).
    assert time.monotonic() - started < 75
    log = rig.log()
    for expected in (line, "livesplit probe failed (server not started?)",
                     "livesplit phase: (none)", "livesplit time unavailable, using receipt time"):
        assert expected + "\n" in log
    assert len(message_boxes.texts()) == 1  # the reminder, once
    assert payload["total"] == 812.40


def test_livesplit_answering_garbage_is_logged_readably_and_not_taken_for_a_time(rig, livesplit):
    peer = livesplit(garbage=True)
    payload = race_with_livesplit(rig)
    log = rig.log()
    assert "livesplit tcp server reachable (phase=" in log
    assert "\\x" in log  # the unprintable bytes, shown escaped
    assert "livesplit time unavailable, using receipt time" in log
    assert payload["total"] == 812.40
    assert len(peer.commands) >= 3


def test_livesplit_replies_split_across_packets_are_read_whole(rig, livesplit):
    # The player splits the end as the game writes its receipt.
    livesplit(phase="Ended", final=754.56, split_ms=150, ends_when=rig.player.receipt.exists)
    payload = race_with_livesplit(rig)
    log = rig.log()
    assert "livesplit tcp server reachable (phase=NotRunning)" in log
    assert "livesplit phase: Ended" in log
    assert "livesplit time used: 754.56 (receipt said 812.40)" in log
    assert payload["total"] == 754.56


def test_livesplit_switched_on_while_the_reminder_is_shown_gives_the_run_its_time(
        rig, livesplit, wine, tmp_path):
    """The reminder asks the player to switch the TCP server on now: done before its OK, LiveSplit
    is read before the game after all, so the end it shows after the game is this run's."""
    assert port_is_free(wait=PORT_WAIT_SECONDS), "another program holds the LiveSplit port"
    release = tmp_path / "switched-on"
    boxes = BoxCloser(wine, tmp_path / "boxes", 600, release=release)

    def switch_on():
        if wait_for(lambda: list(boxes.folder.glob("box1.txt")), timeout=120):
            livesplit(phase="Ended", final=754.56, ends_when=rig.player.receipt.exists)
        release.touch()
    player = threading.Thread(target=switch_on)
    player.start()
    try:
        payload = race_with_livesplit(rig)
    finally:
        player.join()
        boxes.stop()
    assert in_order(rig.log(), [NOT_REACHABLE, "livesplit tcp server reachable (phase=NotRunning)",
                                "livesplit time used: 754.56 (receipt said 812.40)"])
    assert payload["total"] == 754.56


def test_end_of_a_livesplit_left_open_on_other_splits_is_not_the_runs(rig, livesplit):
    """The player's LiveSplit was already open on splits of their own, which it keeps: its end,
    even one after the run's last split, belongs to a run of another number of segments."""
    lss = rig.player.dir / "race.lss"
    lss.write_text("<Run><Segments>" + "<Segment><Name>Level</Name></Segment>" * 5 +
                   "</Segments></Run>", encoding="utf-8")
    livesplit(phase="Ended", final=800.0, segments=12, ends_when=rig.player.receipt.exists)
    rig.game_writes(receipt=rig.finished_receipt())
    rig.check_ended(rig.race(livesplit=winpath(rig.player.dir / "LiveSplit" / "LiveSplit.exe"),
                             livesplit_lss=winpath(lss)))
    assert ("livesplit's run has 12 segments, the race splits 5: another splits file, using "
            "receipt time") in rig.log()
    assert rig.server.requests_to("/submit")[-1].json()["total"] == 812.40
