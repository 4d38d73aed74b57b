"""A player's PC with Steam on it, for the end-to-end scenarios, set up in one call.

    from steam_fixtures import steam_pc, make_mod_package   # steam_pc is a pytest fixture

    pc = steam_pc()                   # Steam root + one more library holding the fake game
    pc.game_script("sleep 1500", "write C:\\\\r.json {}")   # what the fake game does
    pc.steam_calls()                  # command lines the fake steam.exe was started with

The Steam root holds the fake steam.exe, steamapps/libraryfolders.vdf (listing the root and the
extra libraries) and config/loginusers.vdf; HKCU\\Software\\Valve\\Steam "SteamPath" names the
root with forward slashes, as the Steam client writes it. The fake steam.exe starts the fake game
on -applaunch (see tests/helpers/fake_steam); the fake game follows its script (see
tests/helpers/fake_game). The fixture removes the registry key and ends any fake game still
running when the test is over, so scenarios that expect no Steam are not disturbed.
"""
import shutil
from dataclasses import dataclass, field
from pathlib import Path

import pytest

from conftest import Wine, find_exe, read_text, winpath

STEAM_KEY = r"HKCU\Software\Valve\Steam"
GAME_NAME = "Hollowmaze-Win64-Shipping.exe"
GAME_BELOW_LIBRARY = Path("steamapps/common/EscapeTheHollowmaze/EscapeTheHollowmaze/Binaries/Win64")
APPID = "4127730"
# The files the launcher checks after installing the mod package, relative to the game folder.
REQUIRED_MOD_FILES = ["dwmapi.dll", "ue4ss/UE4SS.dll", "ue4ss/Mods/KVRWeekly/Scripts/main.lua",
                      "ue4ss/Mods/KVRWeekly/enabled.txt"]


def vdf_quote(text: str) -> str:
    """A token as Steam writes it: backslash and quote escaped."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


@dataclass
class Account:
    steam_id: str = "76561198000000042"
    persona: str = "Runner"
    most_recent: bool = True
    account_name: str = "runner_login"


@dataclass
class SteamPC:
    wine: Wine
    root: Path
    libraries: list = field(default_factory=list)  # listed after the root
    game_exe: Path = None  # the installed fake game, or None

    @property
    def steam_exe(self) -> Path:
        return self.root / "steam.exe"

    def install_game(self, library: Path) -> Path:
        """Copies the fake game into a library (the root counts as one) and returns its path."""
        folder = Path(library) / GAME_BELOW_LIBRARY
        folder.mkdir(parents=True, exist_ok=True)
        exe = folder / GAME_NAME
        shutil.copy(find_exe(GAME_NAME), exe)
        if self.game_exe is None:
            self.game_exe = exe
        return exe

    def game_script(self, *lines: str, exe: Path = None):
        """Replaces the script the fake game runs (one command per argument)."""
        exe = Path(exe or self.game_exe)
        exe.with_suffix(".script").write_text("\n".join(lines) + "\n", encoding="utf-8")

    def steam_launches(self, game: Path = None, delay_ms: int = 0):
        """What the fake Steam starts on -applaunch; game=None makes it start nothing."""
        lines = [f"delay_ms={delay_ms}"]
        if game is not None:
            lines.append(f"game={winpath(game)}")
        (self.root / "steam_launch.txt").write_text("\n".join(lines) + "\n", encoding="utf-8")

    def steam_calls(self) -> list:
        return read_text(self.root / "steam_calls.txt").splitlines()

    def register(self, value: str = None):
        """Sets SteamPath (default: the root with forward slashes)."""
        self.wine.reg_add(STEAM_KEY, "SteamPath", value or winpath(self.root).replace("\\", "/"))


def write_library_folders(root: Path, libraries, encoding="utf-8"):
    entries = []
    for i, lib in enumerate([root, *libraries]):
        path = lib if isinstance(lib, str) else winpath(lib)
        entries.append(f'\t"{i}"\n\t{{\n\t\t"path"\t\t{vdf_quote(path)}\n\t\t"label"\t\t""\n'
                       f'\t\t"apps"\n\t\t{{\n\t\t\t"{APPID}"\t\t"31457280"\n\t\t}}\n\t}}\n')
    text = '"libraryfolders"\n{\n' + "".join(entries) + "}\n"
    (root / "steamapps").mkdir(parents=True, exist_ok=True)
    (root / "steamapps" / "libraryfolders.vdf").write_bytes(text.encode(encoding))


def write_login_users(root: Path, accounts, encoding="utf-8"):
    blocks = []
    for a in accounts:
        blocks.append(f'\t"{a.steam_id}"\n\t{{\n'
                      f'\t\t"AccountName"\t\t{vdf_quote(a.account_name)}\n'
                      f'\t\t"PersonaName"\t\t{vdf_quote(a.persona)}\n'
                      f'\t\t"RememberPassword"\t\t"1"\n'
                      f'\t\t"MostRecent"\t\t"{1 if a.most_recent else 0}"\n'
                      f'\t\t"Timestamp"\t\t"1761600000"\n\t}}\n')
    text = '"users"\n{\n' + "".join(blocks) + "}\n"
    (root / "config").mkdir(parents=True, exist_ok=True)
    (root / "config" / "loginusers.vdf").write_bytes(text.encode(encoding))


def make_steam_pc(wine: Wine, base: Path, *, library_names=("SteamLibrary",), game_in=1,
                  accounts=None, register=True, steam_exe=True, launches_game=True,
                  encoding="utf-8") -> SteamPC:
    """Builds Steam under `base`: the root `base/Steam` and one folder per library name.

    game_in: index of the library that gets the fake game (0 the root, 1 the first extra
    library, None nowhere). launches_game: the fake Steam starts the game on -applaunch.
    encoding: how Steam's two text files are stored ("gbk" for an old ANSI-written file).
    """
    base = Path(base)
    root = base / "Steam"
    root.mkdir(parents=True, exist_ok=True)
    libraries = [base / name for name in library_names]
    for lib in libraries:
        (lib / "steamapps").mkdir(parents=True, exist_ok=True)
    pc = SteamPC(wine, root, libraries)
    write_library_folders(root, libraries, encoding)
    write_login_users(root, [Account()] if accounts is None else accounts, encoding)
    if game_in is not None:
        pc.install_game([root, *libraries][game_in])
        pc.game_script("sleep 1500")
    if steam_exe:
        shutil.copy(find_exe("steam.exe"), pc.steam_exe)
        pc.steam_launches(pc.game_exe if launches_game else None)
    if register:
        pc.register()
    return pc


def make_mod_package(folder: Path, *, skip=(), extra_mb=0) -> Path:
    """A mod package mirroring the game's Win64 folder: the four required files, the race's own
    mod library, and optionally `extra_mb` of further files. Names in `skip` are left out."""
    folder = Path(folder)
    files = {
        "dwmapi.dll": b"MZ proxy loader\0" * 64,
        "ue4ss/UE4SS.dll": b"MZ mod loader\0" * 256,
        "ue4ss/UE4SS-settings.ini": b"[General]\r\nEnableHotReloadSystem = 0\r\n",
        "ue4ss/Mods/KVRWeekly/Scripts/main.lua": b"-- weekly race script v1\nprint('race')\n",
        "ue4ss/Mods/KVRWeekly/enabled.txt": b"",
        "ue4ss/Mods/KVRSRanked/dlls/main.dll": b"MZ race mod\0" * 128,
        "ue4ss/Mods/KVRSRanked/enabled.txt": b"",
    }
    for name, data in files.items():
        if name in skip:
            continue
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    for i in range(extra_mb):
        path = folder / "ue4ss" / "Mods" / "shared" / f"pak{i:03d}.bin"
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(bytes([i % 251]) * (1 << 20))
    return folder


def end_fake_games(wine: Wine):
    wine.run("taskkill", "/f", "/im", GAME_NAME, timeout=60)


@pytest.fixture
def steam_pc(wine, tmp_path):
    """Factory: steam_pc(**make_steam_pc options) builds Steam below tmp_path/pc (a fresh
    folder per call: pc, pc2, ...)."""
    made = []

    def make(**options) -> SteamPC:
        base = tmp_path / ("pc" if not made else f"pc{len(made) + 1}")
        pc = make_steam_pc(wine, base, **options)
        made.append(pc)
        return pc

    yield make
    end_fake_games(wine)
    wine.reg_delete(STEAM_KEY)
