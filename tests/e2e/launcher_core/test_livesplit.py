"""LiveSplit around a race run under Wine: the layout setting, starting it before the game, the
TCP probe, and which of its times is uploaded (current and older server replies)."""
import pytest

from harness import wait_for, winpath
from peer_fixtures import (livesplit, player, race_server, receipt_text,  # noqa: F401
                           stand_in, started_lines)

# As LiveSplit writes it: its recent layouts, the last one the layout it opens.
SETTINGS = ('<?xml version="1.0" encoding="UTF-8"?>\r\n<Settings version="1.8.17">\r\n'
            '  <RecentSplits />\r\n  <RecentLayouts>\r\n'
            '    <LayoutPath>C:\\Users\\me\\old.lsl</LayoutPath>\r\n'
            '    <LayoutPath>D:\\layouts\\mine.lsl</LayoutPath>\r\n'
            '  </RecentLayouts>\r\n  <LastComparison>Personal Best</LastComparison>\r\n'
            '</Settings>\r\n')
RESTART = ("提醒：LiveSplit 的计时服务器没有回应，可能卡住了。\n\n建议关掉 LiveSplit 再重新打开，然后：\n"
           "右键 LiveSplit → Control → Start TCP Server\n（选 TCP Server，不要选 WebSocket Server）"
           "\n\n这个不影响启动游戏，成绩照常上传。\n\n点「确定」继续进入游戏。")


def test_layout_is_fixed_once_and_then_left_alone(player, livesplit):
    livesplit(phase="NotRunning")
    folder = player.dir / "LiveSplit"
    folder.mkdir()
    settings = folder / "settings.cfg"
    settings.write_bytes(SETTINGS.encode())
    player.ini(livesplit=winpath(folder / "LiveSplit.exe"))
    player.race()
    wanted = winpath(folder) + "\\mirelle.lsl"
    # Every recent layout becomes the race layout.
    assert settings.read_bytes() == SETTINGS.replace("C:\\Users\\me\\old.lsl", wanted).replace(
        "D:\\layouts\\mine.lsl", wanted).encode()
    assert f"livesplit layout path fixed to {wanted}\n" in player.log()
    assert "livesplit tcp server reachable (phase=NotRunning)" in player.log()

    stamp = settings.stat().st_mtime_ns
    player.race()
    assert "livesplit layout path fixed" not in player.log_since_last_start()
    assert settings.stat().st_mtime_ns == stamp


def test_livesplit_is_started_early_with_the_splits_file(player, livesplit):
    livesplit(phase="NotRunning")
    exe = stand_in(player.dir / "LiveSplit", "LiveSplit.exe", stay_ms=30000)
    layout = exe.with_name("mirelle.lsl")
    layout.write_text("<Layout />")
    splits = player.dir / "race splits.lss"
    player.ini(livesplit=winpath(exe), livesplit_lss=winpath(splits))
    try:
        r = player.race()
    finally:
        exe.with_suffix(".stay").unlink()
    # LiveSplit reads the splits only behind -s, the layout only behind -l.
    assert wait_for(lambda: started_lines(exe)) == [
        f'"{winpath(exe)}" -s "{winpath(splits)}" -l "{winpath(layout)}"']
    log = player.log()
    early = log.index("livesplit started early (before chooser)")
    assert log.index("difficulty chooser skipped") > early
    assert "livesplit already running (pid " in log[early:]
    assert "LiveSplit loading in background, please wait 1-3s...\n" in r.out


def test_running_livesplit_is_not_started_again(player, livesplit, wine):
    livesplit(phase="NotRunning")
    exe = stand_in(player.dir / "LiveSplit", "LiveSplit.exe", stay_ms=60000)
    running = wine.start(exe)
    try:
        assert wait_for(lambda: started_lines(exe), timeout=20)
        player.ini(livesplit=winpath(exe), livesplit_lss=winpath(player.dir / "r.lss"))
        player.race()
    finally:
        exe.with_suffix(".stay").unlink()
        running.wait(timeout=30)
    log = player.log()
    assert "livesplit started early" not in log
    assert "livesplit already running (pid " in log and "), not opening another" in log
    assert len(started_lines(exe)) == 1


def test_hung_livesplit_costs_seconds_not_the_run(player, livesplit, message_boxes):
    peer = livesplit(hung=True)
    player.ini(livesplit=winpath(player.dir / "LiveSplit.exe"))
    player.receipt.write_text(receipt_text(), encoding="utf-8")
    r = player.race(timeout=120)
    assert r.rc == 0
    # The probe and the evaluation each give up after a few seconds of silence.
    assert r.seconds < 45, r.seconds
    log = player.log()
    # Connected but silent: switching the server on is not what it needs.
    assert "WARNING: livesplit tcp server connected but did not answer within 3 s\n" in log
    assert "not reachable" not in log
    assert "livesplit probe failed (server not started?)" in log
    assert "=== KVR launcher done ===" in log
    assert message_boxes.texts() == [RESTART]
    assert peer.commands.count("getcurrenttimerphase") == 2


def test_older_livesplit_time_is_used_for_a_plain_receipt(player, race_server, livesplit):
    # Reset before the game, ended while it runs: this run's end.
    livesplit(style="older", phase="Ended", final=3723.45,
              ends_when=(player.game.parent / "started.txt").exists)
    player.ini(server=race_server.base_url, livesplit=winpath(player.dir / "LS" / "LiveSplit.exe"))
    assert player.race(receipt=receipt_text(last_t=3720.0)).rc == 0
    assert "livesplit time used: 3723.45 (receipt said 812.40)" in player.log()
    assert race_server.requests_to("/submit")[0].json()["total"] == 3723.45


@pytest.mark.parametrize("style", ["current", "older"])
def test_time_of_a_run_livesplit_has_not_ended_is_not_uploaded(player, race_server, livesplit,
                                                               style):
    # Before "Ended", "getfinaltime" answers the personal best, and before the first split
    # "getlastsplittime" gives "-" (current) or no reply at all (older: 3 s of silence, then
    # "getcurrenttime" on a fresh connection, the timer still counting).
    peer = livesplit(style=style, phase="Running", pb=700.25, last_split=None, current=768.5)
    player.ini(server=race_server.base_url)
    player.receipt.write_text(receipt_text(), encoding="utf-8")
    assert player.upload().rc == 0
    log = player.log()
    assert "livesplit probe ok: 768.50" in log
    assert "livesplit has not ended (phase Running), its time is not the run's: using receipt " \
           "time" in log
    assert race_server.requests_to("/submit")[0].json()["total"] == 812.40
    assert peer.commands == ["getcurrenttimerphase", "getlastsplittime", "getcurrenttime"]
