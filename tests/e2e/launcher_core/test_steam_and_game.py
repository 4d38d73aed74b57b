"""Finding Steam, the game and the player's Steam name, and starting the game through Steam or
directly, run for real under Wine against the fake Steam and the fake game."""
from harness import chinese_locale, read_text, wait_for, winpath
from steam_fixtures import Account, make_mod_package, steam_pc  # noqa: F401


def core(player_dir):
    return player_dir / "kvr_launcher_core.exe"


def log_of(player_dir):
    return read_text(player_dir / "launcher.log").replace("\r\n", "\n")


def write_ini(player_dir, data, **values):
    lines = ["receipt=%APPDIR%receipt.json", f"data={winpath(data)}"]
    lines += [f"{k}={v}" for k, v in values.items()]
    (player_dir / "launcher.ini").write_text("\n".join(lines) + "\n", encoding="utf-8")


def after(log, marker):
    """The log lines that follow the first line equal to `marker`."""
    lines = log.splitlines()
    return lines[lines.index(marker) + 1:]


def test_registry_root_first_library_holding_the_game_and_kept_paths(wine, player_dir, tmp_path,
                                                                      steam_pc):
    pc = steam_pc(library_names=("LibA", "LibB"), game_in=2)  # only the second library has it
    write_ini(player_dir, tmp_path / "data", dryrun=1)
    root = winpath(pc.root)
    assert wine.run(core(player_dir)).rc == 0
    log = log_of(player_dir)
    # SteamPath was written with forward slashes; every detected path has backslashes only.
    assert f"steam detected: {root}\\steam.exe" in log
    assert f"game detected: {winpath(pc.game_exe)}" in log
    assert "\\LibB\\steamapps\\common\\" in log
    assert "DRYRUN steam_id=76561198000000042 persona=Runner" in log

    # The root is searched before every other library.
    in_root = pc.install_game(pc.root)
    (player_dir / "launcher.log").unlink()
    wine.run(core(player_dir))
    assert f"game detected: {winpath(in_root)}" in log_of(player_dir)

    # Configured paths that exist are never replaced by detected ones.
    own_steam = tmp_path / "own" / "steam.exe"
    own_steam.parent.mkdir()
    own_steam.write_bytes(b"")
    write_ini(player_dir, tmp_path / "data", dryrun=1, steam=winpath(own_steam),
              game=winpath(pc.libraries[1] / "steamapps"))
    (player_dir / "launcher.log").unlink()
    wine.run(core(player_dir))
    log = log_of(player_dir)
    assert "detected:" not in log
    assert f"DRYRUN steam={winpath(own_steam)}" in log


def test_library_on_a_chinese_path_and_detect_prints_the_most_recent_persona(
        wine, player_dir, tmp_path, steam_pc):
    pc = steam_pc(library_names=("游戏/SteamLibrary",), accounts=[
        Account("76561198000000001", "First", most_recent=False),
        Account("76561198000000002", 'Ev"il\\ 名字', most_recent=True)])
    write_ini(player_dir, tmp_path / "data", dryrun=1)
    wine.run(core(player_dir))
    log = log_of(player_dir)
    assert f"game detected: {winpath(pc.game_exe)}" in log
    assert "\\游戏\\SteamLibrary\\" in log
    assert 'DRYRUN steam_id=76561198000000002 persona=Ev"il\\ 名字' in log

    r = wine.run(core(player_dir), "--detect")
    assert r.rc == 0
    assert 'steam persona: Ev"il\\ 名字\n' in r.out
    assert log_of(player_dir).endswith('detected persona bytes: Ev"il\\ 名字\n')


def test_files_written_in_the_ansi_code_page_are_converted(wine, player_dir, tmp_path, steam_pc):
    pc = steam_pc(library_names=("游戏库",), encoding="gbk",
                  accounts=[Account(persona="张三")])
    write_ini(player_dir, tmp_path / "data", dryrun=1)
    env = chinese_locale()
    wine.run(core(player_dir), env=env)
    log = log_of(player_dir)
    assert f"game detected: {winpath(pc.game_exe)}" in log
    assert "DRYRUN steam_id=76561198000000042 persona=张三" in log
    assert "steam persona: 张三\n" in wine.run(core(player_dir), "--detect", env=env).out


def test_launcher_ini_saved_in_the_ansi_code_page(wine, player_dir, tmp_path, steam_pc,
                                                  message_boxes):
    # Notepad on a Chinese PC saves the edited file in GBK: the game path and the data folder
    # must still name the Chinese folders, and the data land where the window programs look.
    pc = steam_pc(library_names=("游戏",), register=False, steam_exe=False)
    local = tmp_path / "Users" / "张三" / "AppData" / "Local"
    local.mkdir(parents=True)
    data = local / "KVR-Race" / "data"
    text = (f"receipt=%APPDIR%receipt.json\r\ndata={winpath(data)}\r\n"
            f"game={winpath(pc.game_exe)}\r\nplayer=张三\r\n")
    (player_dir / "launcher.ini").write_bytes(text.encode("gbk"))
    r = wine.with_env({"LOCALAPPDATA": winpath(local)}, core(player_dir), stdin_text="\n",
                      env=chinese_locale())
    assert r.rc == 0, r.out[-2000:]
    assert "stage: game closed (launch result=1), archiving receipt" in log_of(player_dir)
    assert "steam persona not found, using ini player: 张三" in log_of(player_dir)
    assert (data / "launch.state").read_bytes() == b"done"
    assert message_boxes.texts() == []


def race(wine, player_dir, **kw):
    return wine.run(core(player_dir), stdin_text="\n", **kw)


def test_registry_only_steam_installs_the_mod_and_watches_the_game(wine, player_dir, tmp_path,
                                                                   steam_pc):
    pc = steam_pc()
    pc.game_script("sleep 3000", "exit 7")
    make_mod_package(player_dir / "mod")
    data = tmp_path / "data"
    write_ini(player_dir, data, install_from="%APPDIR%mod")
    proc = wine.start(core(player_dir), stdin_text="\n")
    # The start window closes on "playing": it must appear while the game runs.
    assert wait_for(lambda: read_text(data / "launch.state") == "playing", timeout=60)
    assert proc.wait(timeout=120) == 0

    game_dir = winpath(pc.game_exe.parent)
    lines = log_of(player_dir).splitlines()
    expected = [f"steam detected: {winpath(pc.root)}\\steam.exe",
                f"game detected: {winpath(pc.game_exe)}",
                "installing mod files from package...", f"installed 1 files into {game_dir}",
                "mod install verified OK (4/4 files)", "steam persona detected: Runner",
                "stage: launching game", "steam started with -applaunch 4127730",
                "game exited", "stage: game closed (launch result=1), archiving receipt",
                "=== KVR launcher done ==="]
    positions = [lines.index(line) for line in expected]
    assert positions == sorted(positions)
    assert lines[lines.index("game exited") - 1].startswith("game running (pid ")
    assert pc.steam_calls() == [f'"{winpath(pc.steam_exe)}" -applaunch 4127730']
    assert (data / "launch.state").read_bytes() == b"done"


def test_game_already_running_is_watched_without_starting_steam(wine, player_dir, tmp_path,
                                                                steam_pc):
    pc = steam_pc()
    pc.game_script("write started.txt up", "sleep 3000")
    game = wine.start(pc.game_exe)
    assert wait_for(lambda: (pc.game_exe.parent / "started.txt").exists(), timeout=60)
    data = tmp_path / "data"
    write_ini(player_dir, data, appid="999")
    proc = wine.start(core(player_dir), stdin_text="\n")
    assert wait_for(lambda: read_text(data / "launch.state") == "playing", timeout=60)
    assert proc.wait(timeout=120) == 0
    game.wait(timeout=60)
    following = after(log_of(player_dir), "stage: launching game")
    assert following[0].startswith("game running (pid ")
    assert following[1:3] == ["game exited",
                              "stage: game closed (launch result=1), archiving receipt"]
    assert pc.steam_calls() == []


def test_without_steam_the_game_starts_directly_from_its_folder(wine, player_dir, tmp_path,
                                                               steam_pc):
    pc = steam_pc(library_names=("游戏 库",), register=False, steam_exe=False)
    pc.game_script("whereami where.txt", "sleep 1500")
    write_ini(player_dir, tmp_path / "data", game=winpath(pc.game_exe))
    assert race(wine, player_dir).rc == 0
    following = after(log_of(player_dir), "stage: launching game")
    assert following[:2] == ["steam launch did not start the game, trying direct exe",
                             "launched game directly (fallback)"]
    assert following[2].startswith("game running (pid ")
    assert following[3:5] == ["game exited",
                              "stage: game closed (launch result=1), archiving receipt"]
    where = read_text(pc.game_exe.parent / "where.txt").splitlines()
    assert where == [f"cwd={winpath(pc.game_exe.parent)}",
                     f'cmdline="{winpath(pc.game_exe)}"']


def test_steam_that_returns_first_and_a_game_that_soon_exits(wine, player_dir, tmp_path,
                                                            steam_pc):
    pc = steam_pc()
    pc.steam_launches(pc.game_exe, delay_ms=1500)  # Steam takes a while to bring the game up
    pc.game_script("sleep 1200", "exit 0")
    write_ini(player_dir, tmp_path / "data", appid="480")
    assert race(wine, player_dir).rc == 0
    following = after(log_of(player_dir), "stage: launching game")
    assert following[0] == "steam started with -applaunch 480"
    assert following[1].startswith("game running (pid ")
    assert following[2:4] == ["game exited",
                              "stage: game closed (launch result=1), archiving receipt"]
