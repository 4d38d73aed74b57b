"""The launcher core's start-up, modes and race-run sequence, run for real under Wine."""
from pathlib import Path

from harness import START_LINES, install_programs, read_text, winpath
from peer_fixtures import player, race_server, receipt_text  # noqa: F401

INCOMPLETE = "launcher.ini missing or incomplete (need receipt and data fields)"
PRESS_ENTER = "\n按回车键退出..."


def core(player_dir):
    return player_dir / "kvr_launcher_core.exe"


def log_of(player_dir):
    return read_text(player_dir / "launcher.log").replace("\r\n", "\n")


def write_ini(player_dir, text, bom=False):
    data = text.encode("utf-8")
    (player_dir / "launcher.ini").write_bytes((b"\xef\xbb\xbf" if bom else b"") + data)


def test_missing_ini_stops_with_exit_1_after_enter_and_banners_accumulate(wine, player_dir):
    first = wine.run(core(player_dir), stdin_text="\n")
    assert first.rc == 1
    assert first.out.startswith(START_LINES + INCOMPLETE + "\n")
    assert first.out.endswith(PRESS_ENTER)
    # An unrecognised first argument is a race run too.
    second = wine.run(core(player_dir), "--bogus", stdin_text="\n")
    assert second.rc == 1
    assert log_of(player_dir) == (START_LINES + INCOMPLETE + "\n") * 2
    # On disk every line ends with CR LF (text-mode append).
    assert (player_dir / "launcher.log").read_bytes().count(b"\r\n") == 6


def test_ini_with_receipt_but_no_data_stops(wine, player_dir):
    write_ini(player_dir, "receipt=C:\\r.json\n")
    assert wine.run(core(player_dir), stdin_text="\n").rc == 1
    assert INCOMPLETE in log_of(player_dir)


def test_detect_needs_no_ini_and_ignores_further_arguments(wine, player_dir):
    r = wine.run(core(player_dir), "--detect", "--profile")
    assert r.rc == 0
    assert "steam persona: " in r.out
    assert "detected persona bytes: " in log_of(player_dir)
    assert not (player_dir / "launcher.ini").exists()


def test_profile_opens_page_with_and_without_token(wine, player_dir, tmp_path, opened_urls):
    data = tmp_path / "data"
    data.mkdir()
    write_ini(player_dir, f"data={winpath(data)}\n")
    r = wine.run(core(player_dir), "--profile")
    assert r.rc == 0
    assert "opened profile (no login code yet)\n" in r.out
    # The shell hands the URL to the browser asynchronously: let the first one land first.
    assert wait_for_urls(opened_urls, 1) == ["https://race.kvr.example/profile"]
    (data / "profile_token.txt").write_bytes(b"tok 1&2\r\n")
    r = wine.run(core(player_dir), "--profile")
    assert "opened profile (logged in)\n" in r.out
    urls = wait_for_urls(opened_urls, 2)
    assert urls == ["https://race.kvr.example/profile",
                    "https://race.kvr.example/profile?token=tok%201%262"]


def wait_for_urls(opened_urls, count):
    from harness import wait_for
    wait_for(lambda: len(opened_urls()) >= count, timeout=20)
    return opened_urls()


def test_upload_mode_takes_difficulty_from_choice(wine, player_dir, tmp_path):
    data = tmp_path / "data"
    data.mkdir()
    write_ini(player_dir, f"receipt={winpath(tmp_path / 'r.json')}\ndata={winpath(data)}\n")
    (data / "choice.txt").write_bytes(b"nightmare\r\n")
    r = wine.run(core(player_dir), "--upload")
    log = log_of(player_dir)
    assert "upload difficulty from choice.txt: nightmare\n=== upload-only mode ===" in log
    assert r.rc == 2  # nothing could be uploaded here
    assert "upload-only result: failed" in log
    assert "\n上传失败（详见 launcher.log）\n" in r.out

    (data / "choice.txt").write_bytes(b"hard")
    wine.run(core(player_dir), "--upload")
    assert log_of(player_dir).count("upload difficulty from choice.txt") == 1


def test_dry_run_logs_settings_and_creates_nothing(wine, player_dir, tmp_path):
    data = tmp_path / "fresh" / "data"
    write_ini(player_dir, "\n".join([
        "receipt=%APPDIR%receipt.json", f"data={winpath(data)}", "game=C:\\nowhere\\game.exe",
        "livesplit=C:\\LS\\LiveSplit.exe", "install_from=%APPDIR%mod", "dryrun=1", ""]), bom=True)
    r = wine.run(core(player_dir), stdin_text="")
    assert r.rc == 0
    app = winpath(player_dir) + "\\"
    lines = [l for l in log_of(player_dir).splitlines() if l.startswith("DRYRUN")]
    assert lines == [
        "DRYRUN steam=", "DRYRUN game=C:\\nowhere\\game.exe", f"DRYRUN receipt={app}receipt.json",
        f"DRYRUN data={winpath(data)}", "DRYRUN livesplit=C:\\LS\\LiveSplit.exe",
        f"DRYRUN install_from={app}mod", "DRYRUN steam_id= persona="]
    assert "game not found in any steam library" in log_of(player_dir)
    assert PRESS_ENTER not in r.out
    assert not data.parent.exists()


def race_ini(player_dir, data, extra=""):
    # The fake game beside the launcher, started directly (no Steam here); it ends after a moment.
    install_programs(player_dir, "Hollowmaze-Win64-Shipping.exe")
    (player_dir / "Hollowmaze-Win64-Shipping.script").write_text("sleep 800\n")
    write_ini(player_dir, f"receipt=%APPDIR%receipt.json\ndata={data}\n"
                          f"game=%APPDIR%Hollowmaze-Win64-Shipping.exe\ntimer=1\n{extra}")


def test_race_run_walks_every_stage_and_leaves_state_files(wine, player_dir, tmp_path):
    data = tmp_path / "a" / "b" / "data"  # parents missing, as on a fresh PC
    race_ini(player_dir, winpath(data))
    r = wine.run(core(player_dir), stdin_text="\n")
    assert r.rc == 0
    log = log_of(player_dir)
    order = ["steam persona not found, using ini player: ",
             "difficulty chooser skipped (in-game difficulty is authoritative)",
             "timer overlay: 1", "stage: launching game",
             "stage: game closed (launch result=1), archiving receipt", "stage: uploading",
             "=== KVR launcher done ==="]
    positions = [log.index(line) for line in order]
    assert positions == sorted(positions)
    assert log.endswith("=== KVR launcher done ===\n")
    assert r.out.endswith("=== KVR launcher done ===\n" + PRESS_ENTER)
    assert (data / "launch.state").read_bytes() == b"done"
    assert (data / "upload.state").read_bytes() == b"fail"
    assert (data / "timer.enabled").read_bytes() == b"0"
    assert (data / "board.toggle").read_bytes() == b"0"
    assert (data / "receipts").is_dir()


def test_unopenable_log_leaves_every_line_on_the_console(wine, player_dir, tmp_path):
    (player_dir / "launcher.log").mkdir()  # a directory where the log should be
    race_ini(player_dir, winpath(tmp_path / "data"))
    r = wine.run(core(player_dir), stdin_text="\n")
    assert r.rc == 0
    assert r.out.startswith(START_LINES)
    assert "stage: uploading\n" in r.out and "=== KVR launcher done ===\n" in r.out


def test_non_ascii_local_app_data_holds_the_data_directory(wine, player_dir, tmp_path):
    local = tmp_path / "Users" / "张三" / "AppData" / "Local"
    local.mkdir(parents=True)
    race_ini(player_dir, "%LOCALDATA%\\data")
    r = wine.with_env({"LOCALAPPDATA": winpath(local)}, core(player_dir), stdin_text="\n")
    assert r.rc == 0, r.out
    data = local / "KVR-Race" / "data"
    assert (data / "launch.state").read_bytes() == b"done"


def test_a_huge_server_error_still_gives_a_final_card(player, race_server):
    # Sent JSON-escaped, as servers do; whole, it would not fit a process's command line.
    race_server.refuse("周赛已结束" * 8000)
    player.ini(server=race_server.base_url)
    assert player.race(receipt=receipt_text()).rc == 0
    [card] = player.card_lines(1)
    message = card[card.index('--msg "') + len('--msg "'):-1]
    assert message.startswith("周赛已结束周赛") and message.endswith("...")
    assert "result card: kind=rejected ok=0" in player.log()


GAME_NOT_FOUND = (
    "没有找到《Escape the Hollowmaze》的游戏文件。\n\n可能原因：\n· 游戏没安装\n"
    "· 装在非 Steam 默认目录，且 Steam 库里没有记录\n\n"
    "解决办法：用记事本打开同目录的 launcher.ini，\n把 game= 这一行改成你电脑上的\n"
    "Hollowmaze-Win64-Shipping.exe 完整路径。")


def test_missing_game_stops_with_message_box_and_exit_1(wine, player_dir, tmp_path, message_boxes):
    data = tmp_path / "data"
    write_ini(player_dir, f"receipt=r.json\ndata={winpath(data)}\ngame=C:\\nowhere\\game.exe\n")
    r = wine.run(core(player_dir), stdin_text="\n", timeout=60)
    assert r.rc == 1
    log = log_of(player_dir)
    assert log.endswith("game not found in any steam library\ngame not found, aborting\n")
    assert message_boxes.texts() == [GAME_NOT_FOUND]
    assert not data.exists()
