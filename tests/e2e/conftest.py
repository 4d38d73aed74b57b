"""Shared harness for the end-to-end scenarios: run the real Windows programs under the build
tree's Wine prefix, with their output sent to files (a pipe held by Wine's services would hang)."""
import os
import shutil
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("KVR_WIN_BUILD", Path(__file__).resolve().parents[2] / "build" / "win64"))
# The build tree's Wine prefix, or another one (the package check plays in a fresh prefix).
PREFIX = Path(os.environ.get("KVR_WINEPREFIX", BUILD / "wineprefix"))
SOURCE = Path(os.environ.get("KVR_SOURCE_DIR", Path(__file__).resolve().parents[2]))
SCRIPTS = SOURCE / "scripts"


def package_version() -> str:
    """The player package version this build tree's programs were built with."""
    for line in (BUILD / "CMakeCache.txt").read_text(encoding="utf-8").splitlines():
        if line.startswith("KVR_PACKAGE_VERSION:"):
            return line.split("=", 1)[1]
    raise LookupError(f"KVR_PACKAGE_VERSION is not in {BUILD / 'CMakeCache.txt'}")


# The launcher core's first two lines: the banner and the package it belongs to.
START_LINES = ("=== KVR launcher start (build 2026-10-28 13:45) ===\n"
               f"player package {package_version()}\n")


def winpath(p) -> str:
    """A Linux path as Wine's Z: drive sees it."""
    return "Z:" + str(Path(p).resolve()).replace("/", "\\")


def chinese_locale() -> dict:
    """A zh_CN.UTF-8 locale of our own: Wine then runs with the GBK ANSI code page (936)."""
    locales = BUILD / "locales"
    if not (locales / "zh_CN.UTF-8").is_dir():
        locales.mkdir(exist_ok=True)
        subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8", str(locales / "zh_CN.UTF-8")],
                       check=False, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    return {"LOCPATH": str(locales), "LC_ALL": "zh_CN.UTF-8", "LANG": "zh_CN.UTF-8"}


def wine_env(extra=None) -> dict:
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(PREFIX),
        "WINEDEBUG": "-all",
        "WINEARCH": "win64",
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "LC_ALL": "C.UTF-8",
        "LANG": "C.UTF-8",
    })
    env.update(extra or {})
    return env


def find_exe(name: str) -> Path:
    """A program of this build tree by file name."""
    hits = sorted(BUILD.rglob(name))
    hits = [h for h in hits if "wineprefix" not in h.parts]
    if not hits:
        raise FileNotFoundError(f"{name} not built in {BUILD}")
    return hits[0]


@dataclass
class Run:
    rc: int
    out: str
    err: str


def _ensure_prefix():
    subprocess.run([str(SCRIPTS / "wine-prefix.sh"), str(BUILD)], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Wine:
    """Runs Windows programs in the prefix; output goes through files, never pipes."""

    def __init__(self, workdir: Path):
        self.workdir = workdir
        self.workdir.mkdir(parents=True, exist_ok=True)
        self._n = 0
        _ensure_prefix()

    def _files(self):
        self._n += 1
        return (self.workdir / f"run{self._n}.out", self.workdir / f"run{self._n}.err",
                self.workdir / f"run{self._n}.in")

    def start(self, exe, *args, cwd=None, stdin_text="", env=None):
        out, err, inp = self._files()
        inp.write_text(stdin_text, encoding="utf-8")
        with open(inp, "rb") as i, open(out, "wb") as o, open(err, "wb") as e:
            proc = subprocess.Popen(["wine", str(exe), *map(str, args)], cwd=cwd, stdin=i,
                                    stdout=o, stderr=e, env=wine_env(env), start_new_session=True)
        proc.out_path, proc.err_path = out, err
        return proc

    def run(self, exe, *args, cwd=None, stdin_text="", env=None, timeout=180) -> Run:
        proc = self.start(exe, *args, cwd=cwd, stdin_text=stdin_text, env=env)
        try:
            rc = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, 9)
            raise
        # Windows text-mode stdout turns each line feed into CR LF; compare in Unix form.
        return Run(rc, read_text(proc.out_path).replace("\r\n", "\n"), read_text(proc.err_path))

    def reg_add(self, key, name, value, kind="REG_SZ"):
        self.run("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")

    def reg_delete(self, key):
        self.run("reg", "delete", key, "/f")

    def with_env(self, variables: dict, exe, *args, **kw) -> Run:
        """Runs a program with Windows environment variables set inside Wine."""
        pairs = [f"{k}={v}" for k, v in variables.items()]
        return self.run(find_exe("kvr_envrun.exe"), *pairs, "--", exe, *args, **kw)


def read_text(path) -> str:
    try:
        return Path(path).read_bytes().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


def wait_for(predicate, timeout=30.0, interval=0.1):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()


@pytest.fixture
def wine(tmp_path):
    return Wine(tmp_path / "wine-io")


@pytest.fixture
def opened_urls():
    """URLs the shell opened during the test (Wine's browser is a recorder)."""
    path = PREFIX / "opened-urls.txt"
    path.unlink(missing_ok=True)

    def read():
        return read_text(path).splitlines()
    return read


def install_programs(folder: Path, *names: str):
    """Copies programs of this build into a folder, as the player package holds them."""
    for name in names:
        shutil.copy(find_exe(name), Path(folder) / name)


@pytest.fixture
def player_dir(tmp_path):
    """A player's unpacked package folder (non-ASCII, with a blank) holding the launcher core."""
    d = tmp_path / "玩家 包"
    d.mkdir()
    install_programs(d, "kvr_launcher_core.exe")
    return d


class BoxCloser:
    """Closes the system's "KVR 周赛" message boxes with OK and keeps their texts."""

    def __init__(self, wine: Wine, folder: Path, seconds: int):
        self.folder = folder
        self.proc = wine.start(find_exe("kvr_msgbox_closer.exe"), winpath(folder), seconds)
        # The closer makes its record folder before it starts watching.
        if not wait_for(folder.is_dir, timeout=60):
            raise RuntimeError("the message box closer did not start")

    def texts(self):
        files = sorted(self.folder.glob("box*.txt"), key=lambda p: int(p.stem[3:]))
        return [f.read_bytes().decode("utf-8") for f in files]

    def stop(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, 9)
            self.proc.wait()


@pytest.fixture
def message_boxes(wine, tmp_path):
    """Starts the box closer for the test's duration; call .texts() for what was shown."""
    closer = BoxCloser(wine, tmp_path / "boxes", 600)
    yield closer
    closer.stop()
