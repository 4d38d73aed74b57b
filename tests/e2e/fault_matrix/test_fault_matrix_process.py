"""The launcher core ended by force (the player closes the console, the PC goes down) at each
point of a finished run's way to the server, then started again with a game that writes no
receipt; and two cores started at once. Each run reaches the server, every copy the server got
carries the run's one Idempotency-Key, and nothing is left behind that could send a third."""
import hashlib
import os
import signal

import pytest

from harness import read_text, wait_for
from fault_rig import rig  # noqa: F401
from peer_fixtures import livesplit, race_server, receipt_text  # noqa: F401
from steam_fixtures import end_fake_games, steam_pc  # noqa: F401

ALONE = "another launcher core is already running; this start does nothing"


# Each point arranges the run so that the core can be caught there, and returns the event that
# says it is there now, and what to put right before the next start (or None).
def game_still_running(rig, livesplit):
    rig.game_writes(receipt=rig.finished_receipt(), then_ms=60000)
    return (lambda: rig.player.receipt.exists() and
            read_text(rig.data / "launch.state") == "playing"), None


def after_the_archive(rig, livesplit):
    # The upload asks LiveSplit first: a LiveSplit that never answers holds the core right there.
    peer = livesplit(hung=True)
    rig.game_writes(receipt=rig.finished_receipt())
    return (lambda: peer.commands), peer.stop


def queued_before_the_post(rig, livesplit):
    rig.game_writes(receipt=rig.finished_receipt())
    deaf = []

    def ready():
        # Once the queue flush is over, the next request is the run's: nobody will read it.
        if not deaf and "pending flushed: " in rig.log():
            rig.server.deaf()
            deaf.append(True)
        return deaf and rig.player.pending() and not rig.player.receipt.exists()
    return ready, None


def post_waiting_on_a_slow_server(rig, livesplit):
    rig.server.slow(60, "/submit")
    rig.game_writes(receipt=rig.finished_receipt())
    return (lambda: rig.server.requests_to("/submit")), None


def accepted_before_the_clean_up(rig, livesplit):
    rig.server.hold_answer("/submit")
    rig.game_writes(receipt=rig.finished_receipt())
    return rig.server.holding.is_set, None


# point -> (arrange, where the run is once the core is gone, archived copies, copies the server
# had got by then, copies it has at the end)
CRASH_POINTS = {
    "game running, receipt written": (game_still_running, "receipt", 0, 0, 1),
    "receipt archived, not judged": (after_the_archive, "receipt", 1, 0, 1),
    "queued, request never read": (queued_before_the_post, "pending", 1, 0, 1),
    "request waiting on a slow server": (post_waiting_on_a_slow_server, "pending", 1, 1, 2),
    "accepted, answer not read whole": (accepted_before_the_clean_up, "pending", 1, 1, 2),
}


def copies_of(rig, run_id):
    return [r for r in rig.server.requests_to("/submit") if run_id.encode() in r.body]


@pytest.mark.parametrize("point", CRASH_POINTS)
def test_core_ended_at_each_point_counts_the_run_once(rig, livesplit, point):
    arrange, on_disk, archived, copies_then, copies_at_end = CRASH_POINTS[point]
    there, put_right = arrange(rig, livesplit)
    run_id = rig.run_id
    rig.player.ini()
    core = rig.wine.start(rig.player.core, stdin_text="\n")
    assert wait_for(there, timeout=180), rig.log()[-2000:]
    os.kill(core.pid, signal.SIGKILL)
    core.wait(timeout=30)
    end_fake_games(rig.wine)
    assert rig.where_is(run_id) == on_disk
    assert len(list((rig.data / "receipts").glob("*.json"))) == archived
    assert len(copies_of(rig, run_id)) == copies_then

    # Started again: the peers are well, the game writes no receipt of its own.
    if put_right:
        put_right()
    rig.server.delays.clear()
    rig.server.release_held()
    rig.server.start()
    rig.game_writes()
    run = rig.race()
    rig.check_ended(run)
    copies = copies_of(rig, run_id)
    assert len(copies) == copies_at_end
    assert [r.key for r in copies] == [hashlib.sha256(copies[0].body).hexdigest()] * len(copies)
    assert any(run_id.encode() in body for body in rig.accepted_bodies())
    # Nothing is left that a later start could send a third time.
    assert rig.player.pending() == [] and not rig.player.receipt.exists()


def test_two_cores_started_together_upload_the_run_once(rig):
    rig.game_writes(receipt=rig.finished_receipt())
    rig.player.ini()
    cores = [rig.wine.start(rig.player.core, stdin_text="\n") for _ in range(2)]
    assert [core.wait(timeout=240) for core in cores] == [0, 0]
    outputs = [read_text(core.out_path).replace("\r\n", "\n") for core in cores]
    [second] = [out for out in outputs if ALONE in out]
    assert second.splitlines()[2:] == [ALONE]  # the banner and the package, then nothing else
    assert len(rig.server.requests_to("/submit")) == 1
    assert rig.where_is(rig.run_id) == "server"


def test_run_livesplit_saw_end_counts_when_the_core_was_ended_before_judging(rig, livesplit):
    """LiveSplit's run is "Ended" but it is busy after the game, and the player closes the
    console meanwhile. The next start judges the run it left with what LiveSplit shows before
    the game, as "--upload" would: its kvrw_result.json (no ending map) counts and is sent."""
    peer = livesplit(phase="Ended", hung=True)  # takes the commands, answers none
    rig.run_id = f"ended-{os.getpid()}"
    rig.game_writes(kvrw=receipt_text(last_map="Level 44", extra=f'"run_id":"{rig.run_id}",'))
    rig.player.ini()
    core = rig.wine.start(rig.player.core, stdin_text="\n")
    assert wait_for(lambda: peer.commands, timeout=180), rig.log()[-2000:]
    os.kill(core.pid, signal.SIGKILL)
    core.wait(timeout=30)
    end_fake_games(rig.wine)

    peer.hung = False
    rig.game_writes()
    rig.check_ended(rig.race())
    assert "run files left by an earlier start: judged now" in rig.log()
    assert [rig.run_id.encode() in body for body in rig.accepted_bodies()] == [True]
