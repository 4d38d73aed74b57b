"""Checks a built player package before it ships (scripts/check-package.sh runs it).

Reads the zip (version, the files the launcher checks after its install, launcher.ini, the
race's splits and layout files, main.dll against the shipped UE4SS.dll with the packaging's own
checker), then unpacks it into a fresh Wine prefix and plays one race with it against the local
peers, as the demo does, and looks at what the programs did: the stages, the install check, the
log's package line, the X-KVR-Package header of every request, the upload, the result card, any
message box. Optionally it reports what the organiser's real server answers for /week/current
(asked by the wrapper before the race, outside the race's network namespace).

Prints a report and every problem; exits 1 when there is any.

    python3 package_check.py --zip <package.zip> --out <folder> [--server-report <file>]
    python3 package_check.py --ask-server <https://race.example.org>     (prints one line)
"""
import argparse
import json
import re
import shutil
import stat
import subprocess
import sys
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ElementTree
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from conftest import BUILD, PREFIX, SCRIPTS, SOURCE, Wine, wine_env  # noqa: E402
from player_race import PlayerRace  # noqa: E402

ZIP_NAME = re.compile(r"^KVR-Race-player-(?P<version>[0-9A-Za-z][0-9A-Za-z._-]*?)(?P<test>-test-mod)?"
                      r"\.zip$")
CHECKER = BUILD / "host_tools" / "mod_dll_check" / "kvr_mod_dll_check"
MAIN_DLL = "mod/ue4ss/Mods/KVRSRanked/dlls/main.dll"
LOADER_DLL = "mod/ue4ss/UE4SS.dll"
PROXY_DLL = "mod/dwmapi.dll"


def required_mod_files():
    """The launcher's own list (launcher_core/game/mod_package.h), as paths below mod/."""
    header = (SOURCE / "launcher_core" / "game" / "mod_package.h").read_text(encoding="utf-8")
    listed = re.search(r"kRequiredModFiles = \{([^}]*)\}", header).group(1)
    return [name.replace("\\\\", "/").lstrip("/") for name in re.findall(r'"([^"]+)"', listed)]


def ask_server(url: str) -> str:
    """One line: what the server answers for /week/current, and whether it holds a seed."""
    target = url.rstrip("/") + "/week/current"
    try:
        with urllib.request.urlopen(target, timeout=15) as answer:
            status, body = answer.status, answer.read(1 << 20)
    except Exception as e:  # every failure is the report's one line
        return f"PROBLEM {target}: no answer ({e})"
    try:
        week = json.loads(body)
    except ValueError:
        return f"PROBLEM {target}: HTTP {status}, the answer is no JSON"
    seed = week.get("seed") if isinstance(week, dict) else None
    if seed in (None, ""):
        return f"PROBLEM {target}: HTTP {status}, the answer holds no seed"
    return f"OK {target}: HTTP {status}, week {week.get('week', '?')}, seed {seed}"


def same_server(a: str, b: str) -> bool:
    """Equal as the launcher uses them: scheme and host in any case, trailing "/" dropped."""
    def parts(url):
        split = urllib.parse.urlsplit(url.rstrip("/"))
        return split.scheme.lower(), split.netloc.lower(), split.path, split.query
    return parts(a) == parts(b)


class Check:
    def __init__(self):
        self.problems, self.facts = [], []
        self.server = None  # launcher.ini's

    def fact(self, text):
        self.facts.append(text)

    def problem(self, text):
        self.problems.append(text)

    # ---- the zip ---------------------------------------------------------------------------
    def package(self, zip_path: Path, unpacked: Path):
        name = ZIP_NAME.match(zip_path.name)
        if not name:
            self.problem(f"{zip_path.name} is not named KVR-Race-player-<version>.zip")
            return None
        version = name.group("version")
        self.fact(f"package version {version} ({zip_path.name})")
        try:
            with zipfile.ZipFile(zip_path) as z:
                z.extractall(unpacked)
                links = [i.filename for i in z.infolist() if stat.S_ISLNK(i.external_attr >> 16)]
        except (zipfile.BadZipFile, OSError) as e:
            self.problem(f"{zip_path.name} cannot be unpacked: {e}")
            return None
        if links:
            self.problem(f"the zip holds symbolic links ({', '.join(links[:3])}): Windows unpacks "
                         "each as a small file holding a Linux path")
        tops = list(unpacked.iterdir())
        if len(tops) != 1 or tops[0].name != zip_path.name[:-len(".zip")]:
            self.problem(f"the zip does not hold one folder named {zip_path.name[:-4]}")
            return version
        root = tops[0]
        readme = (root / "README.txt").read_text(encoding="utf-8-sig", errors="replace") \
            if (root / "README.txt").exists() else ""
        if f"玩家包 {version}" not in (readme.splitlines() or [""])[0]:
            self.problem(f"README.txt does not name version {version} in its first line")
        for rel in required_mod_files():
            if not (root / "mod" / rel).is_file():
                self.problem(f"mod/{rel} is missing: every player would meet the "
                             "\"mod install INCOMPLETE\" box")
            elif (root / "mod" / rel).stat().st_size == 0 and not rel.endswith("/enabled.txt"):
                self.problem(f"mod/{rel} is empty")
        self.ini(root)
        self.mod_kind(root, expect_test=bool(name.group("test")))
        return version

    def ini(self, root: Path):
        ini = (root / "launcher.ini").read_text(encoding="utf-8", errors="replace") \
            if (root / "launcher.ini").exists() else ""
        values = dict(line.split("=", 1) for line in ini.splitlines()
                      if "=" in line and not line.startswith("#"))
        server = self.server = values.get("server", "")
        self.fact(f"server {server or '(none)'}")
        if not server.startswith("https://"):
            self.problem(f"launcher.ini's server is {server or 'empty'}, not an https:// address")
        splits = values.get("livesplit_lss", "")
        splits_file = root / splits.replace("%APPDIR%", "").replace("\\", "/")
        if not splits:
            self.problem("launcher.ini names no splits file (livesplit_lss): LiveSplit is not "
                         "started with the race's splits")
        elif not splits_file.is_file():
            self.problem(f"the splits file {splits} is not in the package")
        else:
            self.livesplit_file(splits_file, "Run")
        shipped = (root / "LiveSplit").is_dir()
        layout = root / ("LiveSplit/mirelle.lsl" if shipped else "mirelle.lsl")
        if not layout.is_file():
            self.problem(f"the race layout {layout.relative_to(root)} is not in the package")
        else:
            self.livesplit_file(layout, "Layout")

    def livesplit_file(self, path: Path, root: str):
        """LiveSplit reads splits from a <Run> document and a layout from a <Layout> one."""
        try:
            found = "<" + ElementTree.parse(path).getroot().tag + ">"
        except ElementTree.ParseError as e:
            found = f"no XML ({e})"
        if found != f"<{root}>":
            self.problem(f"{path.name} is {found}, not the <{root}> LiveSplit reads from it")

    def mod_kind(self, root: Path, expect_test: bool):
        main_dll, loader, proxy = root / MAIN_DLL, root / LOADER_DLL, root / PROXY_DLL
        if not main_dll.is_file():
            self.problem(f"{MAIN_DLL} is missing")
            return
        args = [str(CHECKER), str(main_dll)] + ([str(loader)] if loader.is_file() else [])
        args += [str(proxy)] if loader.is_file() and proxy.is_file() else []
        run = subprocess.run(args, capture_output=True, text=True, stdin=subprocess.DEVNULL)
        if run.returncode == 0:
            self.fact("mod: production build (MSVC names), every import from UE4SS.dll exported "
                      "by the shipped loader" if loader.is_file() else
                      "mod: production build (MSVC names), no UE4SS.dll shipped to check against")
        elif run.stderr.startswith("test build"):
            self.fact("mod: test build (MinGW), the game's mod loader cannot load it")
            self.problem("main.dll is this repository's MinGW test build: the week's seed would "
                         "not apply in any game")
        else:
            self.fact("mod: not loadable by the shipped loader")
            self.problem(run.stderr.strip().replace(str(root) + "/", ""))
        if expect_test != run.stderr.startswith("test build"):
            self.problem("the zip's name and its main.dll disagree on test build or not")

    # ---- one race ----------------------------------------------------------------------------
    def race(self, zip_path: Path, out: Path, version: str):
        base = out / "pc"
        shutil.rmtree(base, ignore_errors=True)
        base.mkdir(parents=True)
        race = PlayerRace(Wine(out / "wine-io"), base, zip_path, log=lambda *_: None)
        try:
            race.prepare()
            seen = race.race()
        finally:
            race.cleanup()
        (out / "launcher.log").write_text(race.log(), encoding="utf-8")
        log = seen["log"]
        if seen["states"][-1:] != ["done"] or "playing" not in seen["states"]:
            self.problem(f"the race did not run through: launch.state went {seen['states']}")
        if "mod install verified OK (4/4 files)" not in log:
            self.problem("the launcher's install check failed: "
                         + "; ".join(line for line in log.splitlines() if "MISSING" in line))
        if f"player package {version}\n" not in log:
            self.problem(f"launcher.log does not say \"player package {version}\"")
        headers = {r.headers.get("X-KVR-Package") for r in race.server.requests}
        if headers != {version}:
            self.problem(f"requests carried X-KVR-Package {sorted(map(str, headers))}, "
                         f"not {version}")
        if len(race.submits()) != 1:
            self.problem(f"the race server received {len(race.submits())} runs, not 1")
        if not seen["final_card"]:
            self.problem("no result card was shown")
        for text in seen["boxes"]:
            self.problem("a message box interrupted the race: " + " ".join(text.split())[:200])
        self.fact(f"race: {' > '.join(seen['states'])}, {len(race.server.requests)} requests, "
                  f"log in {out / 'launcher.log'}")

    def report(self) -> int:
        for fact in self.facts:
            print(f"  {fact}")
        for problem in self.problems:
            print(f"PROBLEM: {problem}")
        print(f"package check: {'FAILED, ' + str(len(self.problems)) + ' problem(s)' if self.problems else 'OK'}")
        return 1 if self.problems else 0


def fresh_prefix():
    """The Wine prefix KVR_WINEPREFIX names, made once and its services started: a new folder
    for every check (the wrapper empties its output folder first), so nothing an earlier race
    left behind helps this one."""
    subprocess.run([str(SCRIPTS / "wine-prefix.sh"), str(BUILD), "--services"], check=True,
                   env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def end_prefix():
    subprocess.run(["wineserver", "-k"], env=wine_env(), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description="Checks a player package before it ships.")
    parser.add_argument("--zip")
    parser.add_argument("--out")
    parser.add_argument("--server-report", help="the --ask-server line, asked beforehand")
    parser.add_argument("--server", help="the server asked for that line")
    parser.add_argument("--ask-server", metavar="URL")
    args = parser.parse_args()
    if args.ask_server:
        print(ask_server(args.ask_server))
        return 0
    check = Check()
    zip_path, out = Path(args.zip).resolve(), Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    shutil.rmtree(out / "unpacked", ignore_errors=True)
    version = check.package(zip_path, out / "unpacked")
    if args.server_report:
        line = Path(args.server_report).read_text(encoding="utf-8").strip()
        check.fact(f"race server: {line}")
        if not line.startswith("OK"):
            check.problem(f"the race server's week: {line.split(' ', 1)[-1]}")
    if args.server and check.server is not None and not same_server(args.server, check.server):
        check.problem(f"the server asked ({args.server}) is not the package's launcher.ini "
                      f"server ({check.server or 'empty'})")
    if version:
        fresh_prefix()
        try:
            check.race(zip_path, out, version)
        finally:
            end_prefix()
    return check.report()


if __name__ == "__main__":
    sys.exit(main())
