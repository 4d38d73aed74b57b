"""The launcher core ended by force while it uploads (the player closes the console, the PC
goes down), then started again: the run it was sending is not lost."""
import os

from conftest import read_text, wait_for
from fault_rig import rig  # noqa: F401
from peer_fixtures import race_server  # noqa: F401
from steam_fixtures import steam_pc  # noqa: F401


def test_core_killed_during_the_upload_sends_the_run_at_the_next_start(rig):
    rig.server.slow(12, "/submit")
    rig.game_writes(receipt=rig.finished_receipt())
    first_run = rig.run_id
    rig.player.ini()
    core = rig.wine.start(rig.player.core, stdin_text="\n")
    assert wait_for(lambda: rig.server.requests_to("/submit"), timeout=120)
    os.killpg(core.pid, 9)
    core.wait(timeout=30)
    assert read_text(rig.data / "upload.state") == "uploading"
    assert rig.where_is(first_run) == "pending"

    # Next start: the server is well again and the player plays another run.
    rig.server.delays.clear()
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    rig.check_ended(run)
    log = rig.log()
    assert "pending flushed: 1\n" in log
    assert rig.player.pending() == []
    accepted = rig.accepted_bodies()
    assert [first_run.encode() in body for body in accepted] == [True, False]
    assert [rig.run_id.encode() in body for body in accepted] == [False, True]
