"""Race runs whose receipt is missing, damaged, huge, or whose kvrw_result.json cannot be read or
is left from an earlier run: the run ends, the log says what was wrong with the file, a damaged
receipt is never sent (it stays in place and in the archive), and a good one is uploaded whatever
its size."""
import json
import os
import time

import pytest

from harness import wait_for, winpath
from fault_rig import lock_file, rig  # noqa: F401
from peer_fixtures import race_server, receipt_text  # noqa: F401
from steam_fixtures import steam_pc  # noqa: F401

INVALID = "receipt content invalid, upload skipped"
INCOMPLETE = "receipt is not a complete JSON object"
NO_FINISH = "No finish detected - this run will not count."


def cut_in_last_time(text):
    """The receipt as a crash mid-write leaves it: cut inside the last split's time."""
    return text[:text.rindex('"t":') + 6]


DAMAGED = {
    "empty": (lambda r: "", None),
    "not starting with {": (lambda r: "ENDING:main 812.40\n" + r, None),
    "truncated mid-field": (cut_in_last_time, INCOMPLETE),
    "keys without values": (lambda r: '{"status":,"ending":"","total":,"splits":'
                                      '[{"i":1,"map":"ENDING:main","t":}]}', INCOMPLETE),
}


@pytest.mark.parametrize("damage", DAMAGED)
def test_damaged_receipt_is_reported_kept_and_never_sent(rig, damage):
    make, detail = DAMAGED[damage]
    content = make(rig.finished_receipt()).encode()
    rig.game_writes(receipt=content)
    run = rig.race()
    rig.check_ended(run)
    log = rig.log()
    if detail:
        assert detail in log
    assert INVALID + "\n" in log
    assert "stage: run not finished, nothing queued" in log
    assert rig.server.requests_to("/submit") == []
    assert [r.json()["reason"] for r in rig.server.requests_to("/client/log")] == ["receipt invalid"]
    # Nothing thrown away: the receipt stays where the game left it, and its copy is archived.
    assert rig.player.receipt.read_bytes() == content
    [archived] = (rig.data / "receipts").glob("receipt_*.json")
    assert archived.read_bytes() == content
    assert rig.player.pending() == []
    assert rig.card().endswith(f'--msg "{NO_FINISH}"')


def test_missing_receipt_is_reported_and_nothing_is_sent(rig):
    rig.game_writes()  # the game crashed before its script wrote anything
    run = rig.race()
    rig.check_ended(run)
    log = rig.log()
    assert f"no receipt file found at " in log
    assert "no receipt to upload\n" in log
    assert rig.server.requests_to("/submit") == []
    assert [r.json()["reason"] for r in rig.server.requests_to("/client/log")] == ["no receipt file"]
    assert rig.card().endswith(f'--msg "{NO_FINISH}"')


def test_five_megabyte_receipt_is_judged_and_uploaded_whole(rig):
    text = rig.finished_receipt(splits=120_000, last_t=9000.0)
    assert len(text) > 5 << 20
    rig.game_writes(receipt=text)
    run = rig.race()
    rig.check_ended(run)
    assert rig.where_is(rig.run_id) == "server"
    payload = rig.server.requests_to("/submit")[-1].json()
    assert len(payload["splits"]) == 120_000
    assert payload["status"] == "ending" and payload["ending"] == "main"
    assert "ending inferred from splits: main (map=ENDING:main t=9000.00)" in rig.log()
    [archived] = (rig.data / "receipts").glob("receipt_*.json")
    assert archived.read_bytes() == text.encode()
    assert not rig.player.receipt.exists()


def test_kvrw_result_left_from_an_earlier_run_does_not_hide_the_new_one(rig):
    """A kvrw_result.json from an earlier start that was never judged (the launcher was ended
    first) is judged as its own run before the game can write over it; the run just played is
    judged from its receipt. Each reaches the server once."""
    kvrw = rig.data / "kvrw_result.json"
    kvrw.write_text(receipt_text(last_map="Tunnel", extra='"run_id":"earlier",'), encoding="utf-8")
    earlier = time.time() - 3600
    os.utime(kvrw, (earlier, earlier))
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    rig.check_ended(run)
    log = rig.log()
    assert log.index("run files left by an earlier start: judged now") < log.index(
        "stage: launching game")
    assert rig.where_is(rig.run_id) == "server"
    sent = [json.loads(r.body)["run_id"] for r in rig.server.requests_to("/submit")]
    assert sent == ["earlier", rig.run_id]
    assert not kvrw.exists()
    assert len(list((rig.data / "receipts").glob("kvrw_result_*.json"))) == 1


@pytest.mark.parametrize("held", ["receipt", "kvrw_result.json"])
def test_run_file_held_open_while_the_run_is_judged(rig, lock_file, held):
    """A virus scanner or a sync tool holds one of the run's two files while the run is judged:
    it is judged from the other and goes to the server, and once the held file is free the next
    start recognises it as the same run instead of sending it a second time."""
    receipt = rig.finished_receipt()
    kvrw = receipt_text(last_map="Tunnel", extra=f'"run_id":"{rig.run_id}",')
    files = {"receipt": (rig.player.receipt, receipt),
             "kvrw_result.json": (rig.data / "kvrw_result.json", kvrw)}
    rig.game_writes(receipt=receipt, kvrw=kvrw, then_ms=4000)
    rig.player.ini()
    core = rig.wine.start(rig.player.core, stdin_text="\n")
    assert wait_for(lambda: all(path.exists() and path.read_text(encoding="utf-8") == text
                                for path, text in files.values()), timeout=120)
    held_path = files[held][0]
    locker = lock_file(held_path)
    assert core.wait(timeout=240) == 0
    log = rig.log()
    assert ("kvrw_result.json present but unreadable, using the receipt" if held != "receipt"
            else "using kvrw_result.json (in-game timer)") in log
    assert f"judged file could not be removed: {winpath(held_path)} (" in log
    assert "; it is not judged again" in log
    assert rig.where_is(rig.run_id) == "server"
    locker.release()

    rig.game_writes()
    rig.check_ended(rig.race())
    assert f"{held} holds a run judged before (sent as p_" in rig.log()
    assert not held_path.exists()
    assert len([r for r in rig.server.requests_to("/submit") if rig.run_id.encode() in r.body]) == 1
