"""The upload side of a race run under Wine against the race server peer: weekly sync, the
"--upload" mode, the pending queue, skip reports and the final card."""
import hashlib
import json

from harness import in_order, winpath
from peer_fixtures import (livesplit, opened_after_the_run, player, race_server,  # noqa: F401
                           receipt_text, stand_in, started_lines)

WEEK_FILES = [("week.json", "/week/current"), ("leaderboard.json", "/leaderboard"),
              ("board_data.txt", "/board-data"), ("board_en.txt", "/board-en"),
              ("board.txt", "/leaderboard.txt"), ("board.tsv", "/leaderboard.tsv")]
NETWORK_ERROR = "Network error. Result saved locally - it will retry next launch."


def test_weekly_sync_writes_every_file_and_keeps_cached_copies(player, race_server):
    player.ini(server=race_server.base_url + "//")
    assert player.race().rc == 0
    assert [p for p in race_server.paths()[:6]] == [path for _, path in WEEK_FILES]
    for name, path in WEEK_FILES:
        assert (player.data / name).read_bytes() == race_server.answers[path][2], name
    assert (player.data / "rand_seed.txt").read_bytes() == b"424242"
    log = player.log()
    assert in_order(log, ["week.json updated from server", "weekly seed = 424242",
                          "leaderboard.json updated from server", "board_data.txt updated from server",
                          "board_en.txt updated from server", "board.txt updated from server",
                          "board.tsv updated from server", "timer overlay: 0", "pending flushed: 0"])

    # An error page for one file and then a dead server: every cached copy stays as it was.
    cached = {name: (player.data / name).read_bytes() for name, _ in WEEK_FILES}
    race_server.answer("/leaderboard.tsv", 500, "<html>Internal Server Error</html>", "text/html")
    player.race()
    assert "board.tsv: server answered 500, using cached copy" in player.log_since_last_start()
    race_server.stop()
    player.race()
    log = player.log_since_last_start()
    for name, _ in WEEK_FILES:
        assert f"{name}: server unreachable, using cached copy\n" in log
        assert (player.data / name).read_bytes() == cached[name]
    assert "weekly seed = 424242" in log  # from the cached week.json

    player.ini(server=None)
    player.race()
    log = player.log_since_last_start()
    assert "no server configured, using cached data\n" in log
    assert "pending flushed" not in log


def test_upload_mode_success_saves_token_and_opens_profile_once(player, race_server, opened_urls):
    player.ini(server=race_server.base_url, site='"https://site.example/"')
    (player.data / "choice.txt").write_bytes(b"nightmare\r\n")
    player.receipt.write_text(receipt_text(), encoding="utf-8")
    r = player.upload()
    assert r.rc == 0
    assert "\n上传成功\n" in r.out
    assert not player.receipt.exists()
    assert (player.data / "profile_token.txt").read_bytes() == b"tok-1"
    payload = race_server.requests_to("/submit")[0].json()
    assert (payload["player"], payload["difficulty"], payload["status"], payload["ending"]) == (
        "IniPlayer", "nightmare", "ending", "main")
    assert list(payload)[:2] == ["player", "difficulty"]
    log = player.log()
    assert in_order(log, ["livesplit probe failed (server not started?)", "livesplit phase: (none)",
                          "ending inferred from splits: main (map=ENDING:main t=750.00)",
                          "livesplit time unavailable, using receipt time", "profile token saved",
                          "opened profile page (first time)", "upload response: ",
                          "upload-only result: ok"])

    # The login is a secret: the answer's line shows only its length, the console nothing of it.
    assert '"token": "<hidden, 5 bytes>"' in log
    assert "tok-1" not in log and "tok-1" not in r.out

    # A second accepted upload brings a new token but does not open the page again.
    race_server.accept(token="tok 2/+", rank=1, points=150)
    player.receipt.write_text(receipt_text(extra='"run_id":"second",'), encoding="utf-8")
    assert player.upload().rc == 0
    assert (player.data / "profile_token.txt").read_bytes() == b"tok 2/+"
    assert opened_after_the_run(opened_urls) == ["https://site.example/profile?token=tok-1"]

    # One longer than the next start reads back is not taken; the saved one stays.
    race_server.accept(token="k" * 300)
    player.receipt.write_text(receipt_text(extra='"run_id":"third",'), encoding="utf-8")
    assert player.upload().rc == 0
    assert (player.data / "profile_token.txt").read_bytes() == b"tok 2/+"
    assert "profile token ignored: 300 bytes, longer than 255 (the saved one stays)" in player.log()


def test_upload_mode_sends_the_queue_first(player, race_server):
    """The last race run queued the run and removed its receipt: "--upload" sends the queue, keeps
    the login it brings, and reports no receipt as missing."""
    player.ini(server=race_server.base_url)
    (player.data / "pending").mkdir()
    body = b'{"player":"a","difficulty":"normal","run_id":"queued-1","map":"ENDING:main"}'
    (player.data / "pending" / "p_20261026_200000.json").write_bytes(body)
    r = player.upload()
    assert r.rc == 0 and "\n上传成功\n" in r.out
    [sent] = race_server.requests_to("/submit")
    assert (sent.body, sent.key) == (body, hashlib.sha256(body).hexdigest())
    assert race_server.requests_to("/client/log") == []
    assert player.pending() == []
    assert (player.data / "profile_token.txt").read_bytes() == b"tok-1"
    assert "upload-only result: ok" in player.log()


def test_upload_mode_queues_the_run_and_a_retry_sends_the_same_bytes(player, race_server,
                                                                      livesplit):
    """"--upload" judges the run once and hands it to the queue: retried after a gateway error,
    with LiveSplit reset and the name changed meanwhile, it sends the queued bytes again."""
    peer = livesplit(style="current", phase="Ended", final=754.56)
    player.ini(server=race_server.base_url)
    player.receipt.write_text(receipt_text(extra='"run_id":"one",'), encoding="utf-8")
    race_server.answer("/submit", 504, "<html>Gateway Time-out</html>", "text/html")
    r = player.upload()
    assert r.rc == 2 and "\n上传失败（详见 launcher.log）\n" in r.out
    log = player.log()
    # Nothing tells this end from an earlier attempt's: the receipt's own time goes.
    assert ("livesplit was not read before the game, so its end may be an earlier attempt's: "
            "using receipt time") in log
    assert "upload failed (server answered 504), saved to pending queue" in log
    assert not player.receipt.exists()
    [queued] = player.pending()
    body = queued.read_bytes()
    assert len(list((player.data / "receipts").glob("receipt_*.json"))) == 1

    peer.phase, peer.final, peer.last_split, peer.current = "NotRunning", None, None, None
    race_server.stop()
    player.ini(player="Renamed")
    assert player.upload().rc == 2
    assert "pending kept (server unreachable): 1 file(s)" in player.log_since_last_start()

    race_server.start()
    race_server.accept()
    assert player.upload().rc == 0
    sent = race_server.requests_to("/submit")
    assert [r.body for r in sent] == [body, body]
    assert [r.key for r in sent] == [hashlib.sha256(body).hexdigest()] * 2
    assert player.pending() == []
    assert "pending flushed: 1" in player.log_since_last_start()


def test_skip_reports_say_why_a_run_is_not_uploaded(player, race_server, opened_urls):
    player.ini(server=race_server.base_url, player='Ev"il\\')
    player.upload()  # no receipt at all
    player.receipt.write_text("not json", encoding="utf-8")
    player.upload()
    player.receipt.write_text(receipt_text(last_map="Level 99"), encoding="utf-8")
    player.upload()  # no ending screen marker
    (player.data / "kvrw_result.json").write_text(receipt_text(last_map="Level 99"), encoding="utf-8")
    player.upload()  # the in-game timer's file without an ending map
    reports = [r.json() for r in race_server.requests_to("/client/log")]
    assert reports == [{"player": 'Ev"il\\', "reason": reason} for reason in (
        "no receipt file", "receipt invalid", "run not finished (no ending screen)",
        "run not finished (no ending map)")]
    assert race_server.requests_to("/submit") == []
    assert player.receipt.exists()

    # In a race run the player is told on the final card, and a login kept from an earlier
    # week still gets its profile page opened once.
    (player.data / "profile_token.txt").write_bytes(b"old token\n")
    player.race()
    assert "stage: run not finished, nothing queued" in player.log()
    assert "opened profile page (fallback path)" in player.log()
    assert opened_after_the_run(opened_urls) == [
        "https://race.kvr.example/profile?token=old%20token"]
    assert player.card_lines(1)[-1].endswith(
        '--ok "0" --kind "unfinished" --total "" --difficulty "" --ending "" --rank "0" '
        '--points "0" --msg "No finish detected - this run will not count."')


def test_finished_run_reaches_the_card_then_queue_and_resend(player, race_server, livesplit):
    """Both peers: an accepted run's rank and points reach the card; with the server gone the
    next run is queued and the run after sends it, and nothing is lost on the way."""
    # LiveSplit is reset before the first game and ends while it runs; nobody resets it after.
    game_ran = (player.game.parent / "started.txt").exists
    ls = livesplit(style="current", phase="Ended", final=754.56, ends_when=game_ran)
    player.ini(server=race_server.base_url, livesplit=winpath(player.dir / "LS" / "LiveSplit.exe"))
    race_server.accept(token="tok-9", rank=7, points=95)
    r = player.race(receipt=receipt_text("ENDING:true", splits=46))
    assert r.rc == 0
    log = player.log()
    assert in_order(log, ["livesplit tcp server reachable (phase=NotRunning)",
                          "stage: launching game",
                          "receipt archived: ", "receipt summary: ending= total=812.40 status=running",
                          "livesplit probe ok: 754.56",
                          "cross-check: livesplit=754.56 lastSplit=750.00 diff=4.56",
                          "livesplit time used: 754.56 (receipt said 812.40)",
                          "stage: upload done (ok=1)", "result card: kind=uploaded ok=1"])
    assert "成绩已上传成功！\n\n用时：12:34.56\n\n现在可以关掉启动器了。" in r.out
    card = winpath(player.dir / "kvr_result.exe")
    assert player.card_lines(1) == [
        f'"{card}" --ok "1" --kind "uploaded" --total "754.56" --difficulty "normal" '
        f'--ending "true" --rank "7" --points "95" --msg ""']
    assert started_lines(player.card)[0] == (
        f'"{card}" --mode progress --state "{winpath(player.data)}\\upload.state"')
    archived = list((player.data / "receipts").glob("receipt_*.json"))
    assert [a.read_text(encoding="utf-8") for a in archived] == [receipt_text("ENDING:true", splits=46)]
    assert "getfinaltime" in ls.commands  # the run has ended, so its final time counts

    # Server gone: the run is queued and its receipt handed over to the queue. LiveSplit still
    # shows the first run's end, so the receipt's own time goes with it.
    race_server.stop()
    player.race(receipt=receipt_text("ENDING:arcade"))
    log = player.log_since_last_start()
    assert in_order(log, ["livesplit had already ended before the game at 754.56: an earlier "
                          "attempt's time, using receipt time",
                          "upload failed (server unreachable), saved to pending queue",
                          "stage: upload failed, saving pending", "pending saved: ",
                          "result card: kind=network ok=0"])
    [queued] = player.pending()
    assert queued.name.startswith("p_") and len(queued.name) == len("p_20261028_134502.json")
    payload = queued.read_bytes()
    assert (json.loads(payload)["ending"], json.loads(payload)["total"]) == ("arcade", 812.40)
    assert not player.receipt.exists()
    assert player.card_lines(2)[-1].endswith(f'--msg "{NETWORK_ERROR}"')
    assert (player.data / "upload.state").read_bytes() == b"fail"

    # A server behind a misconfigured proxy answers 404: no verdict on the run, which waits.
    race_server.start()
    race_server.answer("/submit", 404, '{"error":"Not Found"}')
    player.race()
    assert f"pending kept (server answered 404): {winpath(queued)}" in player.log_since_last_start()
    assert player.pending() == [queued]

    # Server back: the next start sends the queued run first, as it was, and removes it.
    race_server.accept()
    player.race()
    resent = race_server.requests_to("/submit")[-2:]
    assert [(r.body, r.key) for r in resent] == [(payload, hashlib.sha256(payload).hexdigest())] * 2
    assert player.pending() == []
    assert "pending flushed: 1" in player.log_since_last_start()


def test_pending_entries_kept_on_trouble_and_set_aside_on_refusal(player, race_server):
    pending = player.data / "pending"
    pending.mkdir()
    bodies = [b'{"player":"a","map":"ENDING:main"}', b'{"player":"b","map":"ENDING:true"}']
    for i, body in enumerate(bodies):
        (pending / f"p_20261026_20000{i}.json").write_bytes(body)
    player.ini(server=race_server.base_url)

    race_server.answer("/submit", 502, "<html>Bad Gateway</html>", "text/html")
    player.race()
    assert len(player.pending()) == 2
    assert "pending kept (server answered 502): " in player.log()

    # Refused: the queued runs and the run just played are kept aside, nothing is lost.
    race_server.refuse("week window closed")
    player.race(receipt=receipt_text(extra='"run_id":"fresh",'))
    assert player.pending() == [] and not player.receipt.exists()
    refused = {p.read_bytes() for p in (pending / "refused").glob("*.json")}
    assert len(refused) == 3 and set(bodies) < refused
    assert any(b'"run_id":"fresh"' in body for body in refused)
    assert player.log_since_last_start().count("pending refused by server (week window closed), "
                                               "moved to ") == 3
    assert "pending flushed: 0" in player.log_since_last_start()
    assert [r.body for r in race_server.requests_to("/submit")][:4] == bodies * 2
