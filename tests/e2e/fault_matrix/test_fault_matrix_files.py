"""Race runs where the files around the launcher get in the way: a read-only data directory, a
log held by another program, a queue holding damaged entries, and Chinese names with blanks in
LOCALAPPDATA and in the player's folder. The run ends, says what was in the way, and the
finished run is accepted or kept."""
import re
import subprocess
from pathlib import Path

import pytest

from harness import START_LINES, chinese_locale, find_exe, install_programs, read_text, winpath
from fault_rig import DONE, WEEK_FILES, Rig, lock_file, rig  # noqa: F401
from peer_fixtures import (Player, opened_after_the_run, race_server, stand_in,  # noqa: F401
                           started_lines)
from steam_fixtures import steam_pc  # noqa: F401


@pytest.fixture
def read_only():
    """read_only(folder): nothing in it can be created, changed or removed any more (the
    immutable flag holds even for root, as the tests run)."""
    folders = []

    def make(folder: Path):
        subprocess.run(["chattr", "-R", "+i", str(folder)], check=True)
        folders.append(folder)
    yield make
    for folder in folders:
        subprocess.run(["chattr", "-R", "-i", str(folder)], check=False)


def test_read_only_data_directory_keeps_the_run_in_its_receipt_and_says_why(rig, read_only):
    """Nothing can be written: no week file, no archive, no queue entry. A run the queue cannot
    take is not sent either (it could not be recognised later, and would count again), so it
    stays in its receipt, and the log and the card say so."""
    cached = rig.cache_week_files()
    (rig.data / "receipts").mkdir()
    read_only(rig.data)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    rig.check_ended(run, state_file=False)
    log = rig.log()
    # Each line about a file says the system's reason, in brackets.
    assert f"WARNING: data directory not writable: {winpath(rig.data)} (" in log
    for name in WEEK_FILES:
        assert re.search(rf"{re.escape(name)}: could not be written \(.+\), cached copy kept\n", log)
        assert (rig.data / name).read_bytes() == cached[name]
    assert re.search(r"rand_seed.txt could not be written \(.+\), the game keeps the seed", log)
    assert "failed to archive receipt (" in log
    assert f"pending could not be saved: {winpath(rig.data)}\\pending (" in log
    assert ("run not queued, so not sent: it stays in "
            f"{winpath(rig.player.receipt)}\n") in log
    assert "stage: upload failed, saving pending" in log and "pending saved" not in log
    assert rig.server.requests_to("/submit") == []
    assert rig.where_is(rig.run_id) == "receipt"
    assert rig.card().endswith(
        '--msg "The result could not be saved yet - see launcher.log."')


def test_log_held_by_another_program_leaves_every_line_on_the_console(rig, lock_file):
    log_file = rig.player.dir / "launcher.log"
    log_file.write_bytes(b"earlier run\r\n")
    locker = lock_file(log_file)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    locker.release()
    assert run.rc == 0
    lines = run.out.splitlines()
    assert lines[:2] == START_LINES.splitlines()
    assert re.fullmatch(r"launcher.log could not be opened \(.+\), lines go to the console only",
                        lines[2])
    assert "stage: upload done (ok=1)\n" in run.out and DONE + "\n" in run.out
    assert log_file.read_bytes() == b"earlier run\r\n"
    assert any(rig.run_id.encode() in body for body in rig.accepted_bodies())


def test_damaged_queue_entries_are_set_aside_and_the_good_one_is_sent(rig, lock_file):
    pending = rig.data / "pending"
    pending.mkdir()
    good = b'{"player":"a","difficulty":"normal","run_id":"queued-good","map":"ENDING:main"}'
    entries = {
        "p_20261026_200000.json": good,
        "p_20261026_200001.json": bytes(range(256)) * 4,           # garbage
        "p_20261026_200002.json": good[:40],                        # cut off mid-field
        "p_20261026_200003.json": b"",                              # empty
        "p_20261026_200004.json": b'{"player":"b","total":}',      # a key without a value
    }
    for name, body in entries.items():
        (pending / name).write_bytes(body)
    locked = pending / "p_20261026_200005.json"
    locked.write_bytes(good.replace(b"queued-good", b"queued-locked"))
    locker = lock_file(locked)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    locker.release()
    rig.check_ended(run)
    log = rig.log()
    assert "pending flushed: 1\n" in log
    assert f"pending kept (could not be read): {winpath(locked)}\n" in log
    assert log.count("pending set aside (not a submit body), moved to ") == 4
    set_aside = {p.name: p.read_bytes() for p in (pending / "refused").iterdir()}
    assert set_aside == {name: body for name, body in entries.items() if body != good}
    assert [p.name for p in rig.player.pending()] == [locked.name]
    submitted = [r.body for r in rig.server.requests_to("/submit")]
    assert submitted[0] == good and len(submitted) == 2
    assert rig.where_is(rig.run_id) == "server"


def test_local_app_data_with_chinese_and_blanks_holds_the_whole_run(rig, tmp_path):
    local = tmp_path / "Users" / "张 三" / "AppData" / "Local"
    data = local / "KVR-Race" / "data"
    rig.use_data_dir(data, "%LOCALDATA%\\data")
    (data / "pending").mkdir(parents=True)
    queued = b'{"player":"a","difficulty":"normal","run_id":"queued-1","map":"ENDING:main"}'
    (data / "pending" / "p_20261026_200000.json").write_bytes(queued)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race(env={"LOCALAPPDATA": winpath(local)})
    rig.check_ended(run)
    log = rig.log()
    assert "pending flushed: 1" in log
    assert rig.where_is(rig.run_id) == "server"
    assert (data / "week.json").exists() and (data / "upload.state").read_bytes() == b"done"
    assert len(list((data / "receipts").glob("receipt_*.json"))) == 1
    assert f"receipt archived: {winpath(data)}\\receipts\\receipt_" in log
    card = winpath(rig.player.card)
    assert started_lines(rig.player.card)[0] == (
        f'"{card}" --mode progress --state "{winpath(data)}\\upload.state"')


def test_player_folder_with_chinese_name_under_a_chinese_code_page(wine, tmp_path, race_server,
                                                                   steam_pc):
    folder = tmp_path / "下载" / "周赛 启动器"
    folder.mkdir(parents=True)
    install_programs(folder, "kvr_launcher_core.exe")
    (folder / "profile_token.txt").write_bytes("令牌\n".encode())
    rig = Rig(wine, Player(wine, folder, folder / "数据"), steam_pc(), race_server, tmp_path)
    rig.player.settings["data"] = "%APPDIR%数据"
    rig.game_writes(receipt=rig.finished_receipt())
    rig.player.ini()
    run = wine.run(rig.player.core, stdin_text="\n", env=chinese_locale(), timeout=240)
    rig.check_ended(run)
    log = rig.log()
    assert "profile token preloaded (6 bytes)" in log
    assert f"receipt archived: {winpath(folder)}\\数据\\receipts\\receipt_" in log
    assert rig.where_is(rig.run_id) == "server"
    assert not rig.player.receipt.exists()
    card = winpath(rig.player.card)
    assert rig.card().startswith(f'"{card}" --ok "1" --kind "uploaded"')
