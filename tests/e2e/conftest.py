"""pytest's entry to the end-to-end scenarios in every folder below: the rigs in fixtures/ and the
peers in tests/peers become importable, and the harness's fixtures (wine, opened_urls,
player_dir, message_boxes) serve every scenario without an import."""
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "peers"))
sys.path.insert(0, str(HERE / "fixtures"))

from harness import message_boxes, opened_urls, player_dir, wine  # noqa: E402,F401
