"""Race runs against a race server that misbehaves: the run still ends, the log says what went
wrong, cached week files survive, and the finished run is accepted or waits in the queue."""
import json
import random
from pathlib import Path

import pytest

from fault_rig import WEEK_FILES, lock_file, rig  # noqa: F401
from peer_fixtures import livesplit, race_server  # noqa: F401
from steam_fixtures import steam_pc  # noqa: F401

NETWORK_ERROR = "Network error. Result saved locally - it will retry next launch."
SELF_SIGNED = Path(__file__).resolve().parents[2] / "peers" / "self_signed_127.0.0.1.pem"


def garbage(size, seed=9):
    rng = random.Random(seed)
    return bytes(rng.getrandbits(8) for _ in range(size))


def check_queued(rig, run, reason):
    """The run ended, said `reason`, and its body waits in the queue."""
    rig.check_ended(run)
    log = rig.log()
    assert f"upload failed ({reason}), saved to pending queue\n" in log, log
    assert "stage: upload failed, saving pending" in log
    assert rig.where_is(rig.run_id) == "pending"
    [queued] = rig.player.pending()
    json.loads(queued.read_bytes())  # the queued body is still a whole JSON object
    assert rig.card().endswith(f'--msg "{NETWORK_ERROR}"')
    assert not rig.player.receipt.exists()  # handed over to the queue


SERVER_FAULTS = {
    "not listening": (lambda s: s.stop(), "server unreachable", "server unreachable"),
    "500 with a body": (lambda s: s.answer_everywhere(500, '{"error":"database down"}'),
                        "server answered 500", "server answered 500"),
    "garbage body": (lambda s: s.answer_everywhere(200, garbage(3000), "text/html"),
                     "server answer holds no verdict", None),
    "100 MB body": (lambda s: s.answer_everywhere(200, b"x" * (100 << 20), "text/plain"),
                    "answer over 8 MiB", "answer over 8 MiB"),
    "closes mid-body": (lambda s: s.cut_off(5), "connection closed mid-answer",
                        "connection closed mid-answer"),
}


@pytest.mark.parametrize("fault", SERVER_FAULTS)
def test_server_fault_keeps_cached_week_files_and_queues_the_run(rig, fault):
    breaks, upload_reason, sync_reason = SERVER_FAULTS[fault]
    cached = rig.cache_week_files()
    seed_before = b"111"
    (rig.data / "rand_seed.txt").write_bytes(seed_before)
    breaks(rig.server)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    check_queued(rig, run, upload_reason)
    log = rig.log()
    for name in WEEK_FILES:
        assert (rig.data / name).read_bytes() == cached[name], name
        if sync_reason:
            assert f"{name}: {sync_reason}, using cached copy\n" in log
    assert (rig.data / "rand_seed.txt").read_bytes() == seed_before
    assert "weekly seed = 111" in log  # from the cached week.json


def test_server_answering_after_40_s_costs_two_time_outs_not_the_run(rig):
    cached = rig.cache_week_files()
    rig.server.slow(40)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    check_queued(rig, run, "no answer within 15 s")
    log = rig.log()
    # The first silent download ends the sync: each further one would cost the player another
    # time-out before the game starts.
    assert "week.json: no answer within 15 s, using cached copy\n" in log
    for name in WEEK_FILES[1:]:
        assert f"{name}: server did not answer, using cached copy\n" in log
    assert [r.path for r in rig.server.requests if r.method == "GET"] == ["/week/current"]
    for name in WEEK_FILES:
        assert (rig.data / name).read_bytes() == cached[name]


def test_dripping_server_keeps_the_player_about_20_s_before_the_game_and_the_run_is_uploaded(rig):
    """Headers at once, then a byte every 4 s: the week files keep their cached copies once the
    time before the game is used up, and the upload after the game, bound by its own 60 s for the
    body, takes an answer that needs about 24 s."""
    cached = rig.cache_week_files()
    rig.server.drip(4)
    rig.server.drip(4, "/submit", pieces=6)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    rig.check_ended(run)
    log = rig.log()
    assert "week.json: answer too slow, using cached copy\n" in log
    for name in WEEK_FILES[1:]:
        assert f"{name}: server did not answer, using cached copy\n" in log
    [week] = [r for r in rig.server.requests if r.method == "GET"]
    # Gone after about 20 s (a byte every 4 s); its own 60 s body deadline would be 15 bytes.
    assert 3 <= week.dripped <= 8, week.dripped
    assert not week.delivered
    for name in WEEK_FILES:
        assert (rig.data / name).read_bytes() == cached[name]
    assert rig.where_is(rig.run_id) == "server"


def test_a_self_signed_https_server_gets_no_verdict(rig):
    rig.server.stop()
    rig.server.tls = (str(SELF_SIGNED),)
    rig.server.start()
    rig.player.settings["server"] = rig.server.base_url
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    check_queued(rig, run, "no trusted secure connection")
    assert rig.server.requests == []
