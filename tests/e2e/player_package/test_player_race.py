"""The whole race as a player lives it: the player package unpacked into a Chinese-named folder
on a PC with Steam, LiveSplit and the race server, kvr_launcher.exe double-clicked, the game
played, the run uploaded. The fast variant of scripts/demo.sh."""
import json

import pytest

from harness import BUILD, package_version, read_text
from player_race import PLAYER, RUN_TIME, PlayerRace


@pytest.fixture
def package():
    zips = sorted((BUILD / "package").glob("KVR-Race-player-*.zip"))
    assert zips, "the player package is built by `cmake --build --preset win64 --target package`"
    return zips[-1]


@pytest.fixture
def race(wine, tmp_path, package):
    r = PlayerRace(wine, tmp_path, package, log=lambda *_: None)
    # The organiser's loader and script files go into the package's mod folder.
    r.prepare(add_organiser_files=True)
    yield r
    r.cleanup()


def test_a_whole_race_reaches_the_server_and_leaves_nothing_behind(race):
    seen = race.race()
    log = seen["log"]
    assert seen["boxes"] == []
    assert seen["states"][-1] == "done", seen
    assert "playing" in seen["states"]
    assert "mod install verified OK (4/4 files)" in log
    assert log.endswith("=== KVR launcher done ===\n")
    # Which package the player runs: in the log and on every request (GET and POST alike).
    assert f"player package {package_version()}\n" in log
    assert {r.headers.get("X-KVR-Package") for r in race.server.requests} == {package_version()}

    [body] = race.submits()
    assert body["player"] == PLAYER
    assert body["playerId"] == "76561198000000042"
    assert body["difficulty"] == "nightmare"
    assert body["ending"] == "true"
    assert body["total"] == pytest.approx(RUN_TIME)
    assert body["status"] == "ending"

    data = race.data
    assert read_text(data / "launch.state") == "done"
    assert read_text(data / "upload.state") == "done"
    archived = list((data / "receipts").glob("receipt_*.json"))
    assert len(archived) == 1 and json.loads(archived[0].read_text())["total"] == \
        pytest.approx(RUN_TIME + 3.1)
    assert not (data / "receipt.json").exists()
    assert not (data / "kvrw_result.json").exists()
    assert not list((data / "pending").glob("*.json")) if (data / "pending").exists() else True
    assert read_text(data / "rand_seed.txt") == "20261207"
    assert seen["final_card"]
    assert seen["core_ended"], "the hidden launcher core is still waiting at its end"


def test_a_second_race_installs_nothing_and_fetches_the_new_board(race):
    race.race()
    race.server.answer("/leaderboard.tsv", 200, "WEEK\t2026-W50\tx\nS\t1\tSomeone\t10\n",
                       "text/tab-separated-values")
    second = race.race()["log"]
    assert "installing mod files from package..." in second
    assert "installed " not in second
    assert read_text(race.data / "board.tsv").startswith("WEEK\t2026-W50\tx\n")
    assert len(race.submits()) == 2
