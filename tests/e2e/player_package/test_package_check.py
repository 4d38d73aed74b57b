"""The organiser's package check (scripts/check-package.sh) passes a good race package and names
every problem of a broken one. The race packages are made from this build's test package: the
production-like main.dll imports the loader's API under MSVC's names, and a stand-in UE4SS.dll
exports them (or, for the broken one, another build's names)."""
import os
import stat
import subprocess
import sys
import zipfile
from pathlib import Path

from harness import BUILD, package_version, read_text

CHECK = Path(__file__).resolve().parents[1] / "fixtures" / "package_check.py"
RAND_TESTS = BUILD / "tests" / "win" / "rand_mod"


def race_package(folder: Path, loader_build="matching", drop=(), change=None) -> Path:
    """The test package turned into a race package, as the packaging would lay it out, with the
    files of `change` put in (a symbolic link where the content is a str)."""
    [test_zip] = sorted((BUILD / "package").glob("KVR-Race-player-*-test-mod.zip"))
    name = f"KVR-Race-player-{package_version()}"
    extra = {
        "mod/ue4ss/Mods/KVRSRanked/dlls/main.dll":
            (RAND_TESTS / "libkvr_msvc_named_mod.dll").read_bytes(),
        "mod/ue4ss/UE4SS.dll": (RAND_TESTS / f"fake_loader_{loader_build}" / "UE4SS.dll").read_bytes(),
        "mod/dwmapi.dll": (RAND_TESTS / "fake_loader_other_build" / "UE4SS.dll").read_bytes(),
        "mod/ue4ss/Mods/KVRWeekly/Scripts/main.lua": b"-- race script\n",
        "mod/ue4ss/Mods/KVRWeekly/enabled.txt": b"",
        "race.lss": b'<?xml version="1.0"?><Run/>',
        "mirelle.lsl": b'<?xml version="1.0"?><Layout/>',
        **(change or {}),
    }
    folder.mkdir(parents=True)
    package = folder / f"{name}.zip"
    with zipfile.ZipFile(test_zip) as source, zipfile.ZipFile(package, "w") as target:
        for item in source.infolist():
            rel = item.filename.split("/", 1)[1]
            if not rel or rel in extra or rel in drop:
                continue
            data = source.read(item)
            if rel == "launcher.ini":
                data = data.replace(b"livesplit_lss=\r\n", b"livesplit_lss=%APPDIR%race.lss\r\n")
            target.writestr(f"{name}/{rel}", data)
        for rel, data in extra.items():
            if rel in drop:
                continue
            entry = zipfile.ZipInfo(f"{name}/{rel}")
            entry.external_attr = ((stat.S_IFLNK | 0o777) if isinstance(data, str) else 0o644) << 16
            target.writestr(entry, data)
    return package


def check(package: Path, out: Path, *args):
    """Runs the check with a prefix of its own; returns its exit code and report."""
    report = out / "report.txt"
    out.mkdir(parents=True)
    with open(report, "wb") as o:
        rc = subprocess.run([sys.executable, str(CHECK), "--zip", str(package), "--out", str(out),
                             *args],
                            stdin=subprocess.DEVNULL, stdout=o, stderr=subprocess.STDOUT,
                            env={**os.environ, "KVR_WINEPREFIX": str(out / "wineprefix")},
                            timeout=600).returncode
    return rc, read_text(report)


def test_a_good_package_passes_and_a_broken_one_fails_naming_each_problem(tmp_path):
    rc, report = check(race_package(tmp_path / "good"), tmp_path / "good-check")
    assert rc == 0, report
    assert f"package version {package_version()}" in report
    assert "mod: production build" in report and "package check: OK" in report

    # Checked against another server than the package's, whose week is fine.
    asked = tmp_path / "server.txt"
    asked.write_text("OK https://other.example.org/week/current: HTTP 200, week 2026-W50, seed 7")
    broken = race_package(tmp_path / "broken", loader_build="other_build",
                          drop={"mod/dwmapi.dll", "mirelle.lsl"},
                          change={"mod/ue4ss/Mods/KVRWeekly/Scripts/main.lua": b"",
                                  "race.lss": b'<?xml version="1.0"?><Layout/>',
                                  "mod/ue4ss/Mods/KVRWeekly/week.lua": "/srv/week51/week.lua"})
    rc, report = check(broken, tmp_path / "broken-check", "--server-report", str(asked),
                       "--server", "https://other.example.org")
    assert rc == 1, report
    problems = [line for line in report.splitlines() if line.startswith("PROBLEM: ")]
    for expected in ("mod/dwmapi.dll is missing", "the race layout mirelle.lsl is not in the package",
                     "mod/ue4ss/Mods/KVRWeekly/Scripts/main.lua is empty",
                     "race.lss is <Layout>, not the <Run> LiveSplit reads from it",
                     "the zip holds symbolic links (KVR-Race-player-",
                     "the server asked (https://other.example.org) is not the package's",
                     "does not export (??0CppUserModBase@RC@@QEAA@XZ)",
                     "the launcher's install check failed: MISSING after install: \\dwmapi.dll",
                     "a message box interrupted the race"):
        assert any(expected in p for p in problems), (expected, report)

    # A zip cut short in its transfer is a problem, not a crash of the check.
    damaged = tmp_path / "damaged" / broken.name
    damaged.parent.mkdir()
    damaged.write_bytes(broken.read_bytes()[:4096])
    rc, report = check(damaged, tmp_path / "damaged-check")
    assert rc == 1 and "PROBLEM: " + broken.name + " cannot be unpacked" in report, report
