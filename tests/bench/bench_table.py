"""The table scripts/bench.sh prints: every figure we track beside the baseline measured in the
same run and its target.

    python3 bench_table.py <figures file>
    python3 bench_table.py --from-gbench <platform> <Google Benchmark JSON file>

The figures file holds lines "KVR_BENCH <platform>.<key> <value>" (platform "native", "wine",
or a Wine run with other inputs such as "wine_big_board"); a figure that is missing shows as "not available". --from-gbench turns a Google
Benchmark JSON report into such lines, one "<name>_ms" per benchmark ("/" becomes "_"), from the
median of its repetitions when it was repeated.
"""
import json
import sys
from dataclasses import dataclass
from typing import Callable, Optional

UNITS_TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


@dataclass
class Row:
    figure: str
    key: str
    unit: str
    baseline_key: Optional[str] = None
    baseline: str = ""  # what the baseline is
    ratio_key: Optional[str] = None  # when the program reports the ratio itself
    target: str = "-"
    # The verdict from (value, baseline value or None, ratio or None); None: no target.
    meets: Optional[Callable] = None
    show_excess: bool = False  # the target is a margin over the baseline: show it


def rand_rows(platform, where):
    return [
        Row(f"replacement rand, 1 thread, window open ({where})", f"{platform}.rand_replacement_1t_ns",
            "ns/call", f"{platform}.rand_crt_ns", "C runtime rand",
            f"{platform}.rand_replacement_1t_ratio", "ratio <= 1.5",
            lambda v, b, r: r <= 1.5),
        Row(f"replacement rand, 2 threads on distinct sites ({where})",
            f"{platform}.rand_2t_total_per_s", "calls/s", f"{platform}.rand_1t_per_s", "1 thread",
            f"{platform}.rand_2t_ratio", "ratio >= 0.8", lambda v, b, r: r >= 0.8),
    ]


ROWS = [
    *rand_rows("native", "native"),
    *rand_rows("wine", "Wine"),
    Row('launcher start -> "launching", local peers, mod installed, LiveSplit up (Wine)',
        "wine.launch_to_launching_s", "s", "wine.trivial_program_s",
        "trivial console program", None, "<= 0.5 s over baseline",
        lambda v, b, r: v - b <= 0.5, show_excess=True),
    Row("install re-run, unchanged 300 files / 30 MB (Wine)", "wine.install_rerun_ms", "ms",
        "wine.install_walk_ms", "directory walk of the tree", None, "<= 300 ms",
        lambda v, b, r: v <= 300),
    Row("judging a 10k-split receipt", "native.judge_receipt_10000_ms", "ms",
        "native.judge_receipt_1000_ms", "1k splits", None, "<= 10 ms, ratio ~ 10",
        lambda v, b, r: v <= 10 and 5 <= r <= 15),
    Row("board paint, 30 rows, 200 sparks (Wine GDI+)", "wine.board_paint_ms", "ms",
        target="<= 8 ms", meets=lambda v, b, r: v <= 8),
    Row("board paint on a tab switch (Wine GDI+)", "wine.board_tab_switch_paint_ms", "ms"),
    Row("timer paint (Wine GDI+)", "wine.timer_paint_ms", "ms", target="<= 3 ms",
        meets=lambda v, b, r: v <= 3),
    Row("overlay CPU, timer running, board hidden, 30 s (Wine)", "wine.overlay_cpu_percent",
        "% of a core", target="<= 1 %", meets=lambda v, b, r: v <= 1),
    Row("wineserver CPU in the same 30 s (all Wine processes)", "wine.wineserver_cpu_percent",
        "% of a core"),
    Row("overlay memory, board shown, 8 MiB board.tsv (Wine, peak resident)",
        "wine_big_board.overlay_peak_rss_mb", "MB", "wine_board_shown.overlay_peak_rss_mb",
        "30-row board shown", None, "< 40 MB", lambda v, b, r: v < 40),
    Row("start card, one frame (Wine GDI+)", "wine.start_card_paint_ms", "ms"),
    Row("progress card, one frame (Wine GDI+)", "wine.progress_card_paint_ms", "ms"),
    Row("final card, one frame (Wine GDI+)", "wine.final_card_paint_ms", "ms"),
]


def read_figures(path):
    figures = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and parts[0] == "KVR_BENCH":
                try:
                    figures[parts[1]] = float(parts[2])
                except ValueError:
                    pass
    return figures


def number(value, unit):
    if unit == "calls/s":
        return f"{value / 1e6:.1f} M/s"
    digits = 1 if abs(value) >= 100 else 2 if abs(value) >= 1 else 3
    return f"{value:.{digits}f} {unit}"


def cells(row, figures):
    value = figures.get(row.key)
    if value is None:
        return ["not available", "", "", row.target, "-"]
    base = figures.get(row.baseline_key) if row.baseline_key else None
    ratio = figures.get(row.ratio_key) if row.ratio_key else None
    if ratio is None and base:
        ratio = value / base
    baseline = f"{number(base, row.unit)} ({row.baseline})" if base is not None else (
        "not available" if row.baseline_key else "-")
    ratio_text = f"{ratio:.2f}" if ratio is not None else "-"
    if row.meets is None:
        verdict = "-"
    elif row.baseline_key and (base is None or ratio is None):
        verdict = "?"
    else:
        verdict = "meets" if row.meets(value, base, ratio) else "MISSES"
    measured = number(value, row.unit)
    if row.show_excess and base is not None:
        measured += f" (+{number(value - base, row.unit)})"
    return [measured, baseline, ratio_text, row.target, verdict]


def table(figures):
    header = ["Figure", "Measured", "Baseline (same run)", "Ratio", "Target", "Verdict"]
    lines = [header] + [[row.figure] + cells(row, figures) for row in ROWS]
    widths = [max(len(line[i]) for line in lines) for i in range(len(header))]
    out = []
    for n, line in enumerate(lines):
        out.append("  ".join(text.ljust(w) for text, w in zip(line, widths)).rstrip())
        if n == 0:
            out.append("  ".join("-" * w for w in widths))
    return "\n".join(out)


def from_gbench(platform, path):
    with open(path, encoding="utf-8") as f:
        report = json.load(f)
    runs = report.get("benchmarks", [])
    # With repetitions, the median of each benchmark stands for it.
    if any(b.get("run_type") == "aggregate" for b in runs):
        runs = [b for b in runs if b.get("aggregate_name") == "median"]
    for b in runs:
        key = b.get("run_name", b["name"]).replace("/", "_")
        ms = b["real_time"] * UNITS_TO_MS[b.get("time_unit", "ns")]
        print(f"KVR_BENCH {platform}.{key}_ms {ms:.6f}")


def main(argv):
    if len(argv) == 4 and argv[1] == "--from-gbench":
        from_gbench(argv[2], argv[3])
        return 0
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    print(table(read_figures(argv[1])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
