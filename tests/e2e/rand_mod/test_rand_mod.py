"""The rand mod inside the fake game: the test host's loader agent is put into the running game,
loads main.dll, sets the seed from the Lua mod's state and opens the window; the game's own
rand() call site then draws the seeded sequence. The expected values are computed here from the
generator's formulas and the call site's key from the program's own layout (its disassembly),
independently of the C++ code, so the sequence is the same on every run and on every machine."""
import os
import re
import shutil
import subprocess
from pathlib import Path

from harness import BUILD, find_exe, read_text, wait_for, winpath

GAME = "Hollowmaze-Win64-Shipping.exe"
MASK = 0xFFFFFFFF
OBJDUMP = shutil.which("x86_64-w64-mingw32-objdump") or "x86_64-w64-mingw32-objdump"


def mix(v):
    v &= MASK
    v ^= v >> 16
    v = (v * 0x85EBCA6B) & MASK
    v ^= v >> 13
    v = (v * 0xC2B2AE35) & MASK
    return v ^ (v >> 16)


def expected_stream(seed, key, count):
    site = mix(((key & MASK) + 0x9E3779B9) & MASK)
    state = mix((((seed & MASK) ^ site) + 0x9E3779B9) & MASK)
    values = []
    for _ in range(count):
        state = (state * 214013 + 2531011) & MASK
        values.append((state >> 16) & 0x7FFF)
    return values


def rand_call_sites(exe: Path, function: str):
    """The keys of the rand() calls inside `function` of a MinGW-built program: each call's
    return address (the instruction after the call) minus the image base, from its headers and
    disassembly."""
    def objdump(*args):
        return subprocess.run([OBJDUMP, *args, str(exe)], capture_output=True, text=True,
                              check=True).stdout
    base = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)$", objdump("-p"), re.M).group(1), 16)
    lines = objdump("-d", "--no-show-raw-insn").splitlines()
    keys, inside = [], False
    for line, after in zip(lines, lines[1:]):
        label = re.match(r"^[0-9a-f]+ <(.+)>:$", line)
        if label:
            inside = function in label.group(1)
        elif inside and re.search(r"\scall\s.*<(__imp_)?rand>$", line):
            keys.append(int(after.split(":")[0], 16) - base)
    return keys


def game_folder(root: Path) -> Path:
    """The fake game with the mod, the stand-in loader library and the loader agent beside it."""
    root.mkdir(parents=True)
    shutil.copy(find_exe(GAME), root / GAME)
    shutil.copy(BUILD / "mod_package" / "ue4ss" / "Mods" / "KVRSRanked" / "dlls" / "main.dll", root)
    for name in ("UE4SS.dll", "kvr_rand_agent.dll"):
        shutil.copy(find_exe(name), root / name)
    return root


def play(wine, root: Path, seed=None, draws=8):
    """One game run: returns (values the game drew, the loader's log lines)."""
    folder = game_folder(root)
    # With the loader, the game draws once it has the seed and the open window, and ends once the
    # loader has reported what it served.
    script = f"write ready.txt 1\nrand draws.txt {draws}\nexit 0\n"
    if seed is not None:
        script = ("write ready.txt 1\nawait loader.log ready\n"
                  f"rand draws.txt {draws}\nawait loader.log reported\nexit 0\n")
    (folder / "Hollowmaze-Win64-Shipping.script").write_text(script)
    game = wine.start(folder / GAME, cwd=folder)
    log = folder / "loader.log"
    try:
        assert wait_for(lambda: (folder / "ready.txt").exists(), timeout=60)
        if seed is not None:
            loaded = wine.run(find_exe("kvr_rand_host.exe"), "--inject", GAME,
                              "--agent", winpath(folder / "kvr_rand_agent.dll"),
                              "--mod", winpath(folder / "main.dll"), "--log", winpath(log),
                              "--seed", seed, "--report", draws)
            assert loaded.rc == 0, loaded.out + read_text(log)
        assert game.wait(timeout=120) == 0
    finally:
        # A game left waiting would take the next test's loader (found by its name).
        if game.poll() is None:
            os.killpg(game.pid, 9)
            game.wait()
    assert not (folder / "Hollowmaze-Win64-Shipping.errors").exists(), \
        read_text(folder / "Hollowmaze-Win64-Shipping.errors")
    values = [int(v) for v in read_text(folder / "draws.txt").split()]
    return values, read_text(log).splitlines()


def caller_line(log):
    fields = next(line for line in log if line.startswith("caller: ")).split()
    return int(fields[1], 16), int(fields[2]), int(fields[3])


def test_fake_game_draws_the_seeded_sequence_on_every_run(wine, tmp_path):
    first, log = play(wine, tmp_path / "run1", seed=4242)
    second, second_log = play(wine, tmp_path / "run2", seed=4242)
    assert first == second
    assert log[0].startswith("[ReruRavuze] hooked rand import at exe+0x")
    assert log == second_log

    # The game's draws are its one call site's stream for the seed, served in full; the site's
    # key is where that call returns to in the game's image.
    [site] = rand_call_sites(find_exe(GAME), "append_rand")
    assert caller_line(log) == (site, 8, 8)
    assert first == expected_stream(4242, site, 8)
    assert "debug: 8 8 1 1" in log


def test_other_seed_gives_other_values_and_no_loader_gives_the_runtimes(wine, tmp_path):
    seeded, log = play(wine, tmp_path / "seeded", seed=4243)
    key, _, _ = caller_line(log)
    assert seeded == expected_stream(4243, key, 8)
    assert seeded != expected_stream(4242, key, 8)

    plain, _ = play(wine, tmp_path / "plain")
    assert len(plain) == 8 and plain != seeded


def test_test_host_process_draws_the_formula_for_its_call_site(wine):
    run = wine.run(find_exe("kvr_rand_host.exe"), "--seed", 99, "--draws", 10)
    assert run.rc == 0, run.out
    lines = run.out.splitlines()
    draws = [int(v) for v in next(l for l in lines if l.startswith("draws:")).split()[1:]]
    [site] = rand_call_sites(find_exe("kvr_rand_host.exe"), "draw_from_one_site")
    assert caller_line(lines) == (site, 10, 10)
    assert draws == expected_stream(99, site, 10)
