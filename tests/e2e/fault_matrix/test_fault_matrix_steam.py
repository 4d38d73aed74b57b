"""A race run for a Steam name full of what breaks careless text handling: quotes, backslashes,
an emoji, control characters and characters editors take for line breaks. The server gets JSON
that parses and carries the name exactly; the log shows it on one line."""
import json

from fault_rig import Rig  # noqa: F401
from peer_fixtures import Player, race_server  # noqa: F401
from steam_fixtures import Account, steam_pc  # noqa: F401

PERSONA = 'Ev"il \\ \\\\ Ro"ot\\ 😀 \x01\x07\t\x1b[31m\x1f\x7f\u2028\x85 end'
SHOWN = 'Ev"il \\ \\\\ Ro"ot\\ 😀 \\x01\\x07\\x09\\x1B[31m\\x1F\\x7F\\u2028\\u0085 end'


def test_hostile_steam_name_reaches_the_server_unchanged(wine, player_dir, tmp_path, race_server,
                                                         steam_pc):
    pc = steam_pc(accounts=[Account(persona=PERSONA)])
    rig = Rig(wine, Player(wine, player_dir, tmp_path / "data"), pc, race_server, tmp_path)
    rig.game_writes(receipt=rig.finished_receipt())
    run = rig.race()
    rig.check_ended(run)
    log = rig.log()
    assert f"steam persona detected: {SHOWN}\n" in log
    assert rig.where_is(rig.run_id) == "server"
    request = rig.server.requests_to("/submit")[-1]
    payload = json.loads(request.body.decode("utf-8"))  # strict: no raw control characters
    assert payload["player"] == PERSONA
    assert payload["playerId"] == "76561198000000042"
    assert list(payload)[:3] == ["player", "playerId", "difficulty"]

    # A dry run shows it the same way.
    ini = player_dir / "launcher.ini"
    ini.write_text(ini.read_text(encoding="utf-8").rstrip("\n") + "\ndryrun=1\n", encoding="utf-8")
    assert wine.run(player_dir / "kvr_launcher_core.exe").rc == 0
    assert f"DRYRUN steam_id=76561198000000042 persona={SHOWN}\n" in rig.log()

    # And so does "--detect", in the log and on the console.
    r = wine.run(player_dir / "kvr_launcher_core.exe", "--detect")
    assert f"steam persona: {SHOWN}\n" in r.out
    assert rig.log().endswith(f"detected persona bytes: {SHOWN}\n")
