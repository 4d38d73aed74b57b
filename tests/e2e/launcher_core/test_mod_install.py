"""Installing the race's mod package into the game folder and checking it, under Wine; and the
player package that carries it."""
import zipfile

from harness import BUILD, read_text, winpath
from steam_fixtures import REQUIRED_MOD_FILES, make_mod_package, steam_pc  # noqa: F401

DONE = "=== KVR launcher done ==="


def log_of(player_dir):
    return read_text(player_dir / "launcher.log").replace("\r\n", "\n")


def race_with_package(wine, player_dir, tmp_path, pc, package="%APPDIR%mod"):
    """One race run that installs `package` into the fake game's folder; returns its log."""
    (player_dir / "launcher.log").unlink(missing_ok=True)
    (player_dir / "launcher.ini").write_text(
        f"receipt=%APPDIR%receipt.json\ndata={winpath(tmp_path / 'data')}\n"
        f"game={winpath(pc.game_exe)}\ninstall_from={package}\n", encoding="utf-8")
    r = wine.run(player_dir / "kvr_launcher_core.exe", stdin_text="\n")
    assert r.rc == 0
    log = log_of(player_dir)
    assert log.endswith(DONE + "\n")
    return log


def install_lines(log):
    return [l for l in log.splitlines()
            if l.startswith(("installing", "installed", "MISSING", "mod install", "install "))]


def game_pc(steam_pc):
    # The game is started directly (no Steam on this PC) and ends after a moment.
    pc = steam_pc(library_names=(), game_in=0, register=False, steam_exe=False)
    pc.game_script("sleep 800")
    return pc


def test_first_run_copies_each_level_then_unchanged_package_copies_nothing(
        wine, player_dir, tmp_path, steam_pc):
    pc = game_pc(steam_pc)
    package = make_mod_package(player_dir / "mod")
    game = pc.game_exe.parent
    g = winpath(game)
    # Every directory level counts and logs for itself once it is done (in the order the file
    # system lists the folders); a level that copied nothing is silent.
    lines = install_lines(race_with_package(wine, player_dir, tmp_path, pc))
    assert lines[0] == "installing mod files from package..."
    assert sorted(lines[1:-1]) == [
        f"installed 1 files into {g}",
        f"installed 1 files into {g}\\ue4ss\\Mods\\KVRSRanked",
        f"installed 1 files into {g}\\ue4ss\\Mods\\KVRSRanked\\dlls",
        f"installed 1 files into {g}\\ue4ss\\Mods\\KVRWeekly",
        f"installed 1 files into {g}\\ue4ss\\Mods\\KVRWeekly\\Scripts",
        f"installed 2 files into {g}\\ue4ss"]
    assert lines[-1] == "mod install verified OK (4/4 files)"
    for name in REQUIRED_MOD_FILES:
        assert (game / name).read_bytes() == (package / name).read_bytes()

    assert install_lines(race_with_package(wine, player_dir, tmp_path, pc)) == [
        "installing mod files from package...", "mod install verified OK (4/4 files)"]

    # An updated script of the same size is installed; the untouched files are not.
    script = package / "ue4ss/Mods/KVRWeekly/Scripts/main.lua"
    updated = script.read_bytes().replace(b"v1", b"v2")
    script.write_bytes(updated)
    assert install_lines(race_with_package(wine, player_dir, tmp_path, pc)) == [
        "installing mod files from package...",
        f"installed 1 files into {g}\\ue4ss\\Mods\\KVRWeekly\\Scripts",
        "mod install verified OK (4/4 files)"]
    assert (game / "ue4ss/Mods/KVRWeekly/Scripts/main.lua").read_bytes() == updated


WARNING_HEAD = "计时 mod 没有装完整，缺少这些文件：\n\n"
WARNING_TAIL = ("\n最常见原因：杀毒软件把 dwmapi.dll 当成病毒删掉了。\n\n解决办法：\n"
                "1. 把游戏目录加入杀毒软件/Defender 的排除项\n2. 重新解压玩家包，再双击启动器\n\n"
                "游戏目录：\n")


def test_missing_required_files_warn_the_player_and_the_run_goes_on(
        wine, player_dir, tmp_path, steam_pc, message_boxes):
    pc = game_pc(steam_pc)
    # As if security software had deleted dwmapi.dll, and the script never got unpacked.
    make_mod_package(player_dir / "mod", skip=("dwmapi.dll", "ue4ss/Mods/KVRWeekly/Scripts/main.lua"))
    log = race_with_package(wine, player_dir, tmp_path, pc)
    lines = install_lines(log)
    assert lines[-3:] == ["MISSING after install: \\dwmapi.dll",
                          "MISSING after install: \\ue4ss\\Mods\\KVRWeekly\\Scripts\\main.lua",
                          "mod install INCOMPLETE (2 missing)"]
    game_dir = winpath(pc.game_exe.parent)
    assert message_boxes.texts() == [
        WARNING_HEAD + "\\dwmapi.dll\n\\ue4ss\\Mods\\KVRWeekly\\Scripts\\main.lua\n" +
        WARNING_TAIL + game_dir]
    # The box closed, the run went on to the game and the end.
    assert "stage: game closed (launch result=1), archiving receipt" in log


def test_missing_package_skips_install_and_verification(wine, player_dir, tmp_path, steam_pc):
    pc = game_pc(steam_pc)
    log = race_with_package(wine, player_dir, tmp_path, pc, package="%APPDIR%no-such-mod")
    assert install_lines(log) == ["install skipped (game or package path missing)"]
    assert not (pc.game_exe.parent / "ue4ss").exists()


def test_package_built_without_a_production_mod_says_it_is_a_test_build():
    # The test run packages without KVR_MOD_DLL: this build's MinGW main.dll goes in, and the
    # package says so in its name and in the players' read-me.
    [package] = (BUILD / "package").glob("KVR-Race-player-*.zip")
    assert package.name.endswith("-test-mod.zip")
    top = package.name[:-len(".zip")]
    with zipfile.ZipFile(package) as z:
        readme = z.read(f"{top}/README.txt").decode("utf-8-sig")
        dll = z.read(f"{top}/mod/ue4ss/Mods/KVRSRanked/dlls/main.dll")
    assert "TEST BUILD" in readme.splitlines()[2]
    assert dll == (BUILD / "mod_package/ue4ss/Mods/KVRSRanked/dlls/main.dll").read_bytes()
