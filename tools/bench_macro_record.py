#!/usr/bin/env python3
"""Measures how faithfully the macro editor records the pauses between keystrokes under Wine.

xdotool types ten letters into a recording with `xdotool key --delay D`, so the keystrokes
begin D milliseconds apart by xdotool's own clock. The stored macro holds a delay after every
event; the delays from one press to the next add up to the time the editor measured between the
two keystrokes. For each D the figures are how far those sums lie from D (mean and largest
difference) and how many lie within 10 ms. The values of D alternate within each round.

Run after `make win` with the Wine server started (tests/wine-server.sh start build/win):
  python3 tools/bench_macro_record.py [--rounds 3] [--delays 30,100,300,1000]
"""
import argparse
import statistics
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness as h  # noqa: E402
import main_window as mw  # noqa: E402
import test_macro_editor as ed  # noqa: E402

LETTERS = "asdfghjklz"  # ten keystrokes: 4 + 10 x 4 units fit the 48-unit recording limit
TOLERANCE_MS = 10


def record(editor, name, delay):
    """Records the letters typed `delay` ms apart into a new macro; returns the measured
    press-to-press intervals."""
    editor.command(ed.NEW_MACRO)
    editor.answer_text(ed.TEXTS["tc_macro_msg11"], name)
    editor.click(ed.RECORD)
    h.wait_until(lambda: mw.child(ed.RECORD, ed.EDITOR).get("text") == ed.TEXTS["tc_macro_stop"], 10, "recording")
    # Raised above the machine's other work, so that xdotool's own pauses are as asked.
    subprocess.run(["nice", "-n", "-10", "xdotool", "key", "--delay", str(delay), *LETTERS], env=h.wine_env(),
                   check=True, timeout=60)
    editor.click(ed.RECORD)
    h.wait_until(lambda: mw.child(ed.RECORD, ed.EDITOR).get("text") == ed.TEXTS["tc_macro_start"], 10, "stop")
    editor.save()
    events = ed.read_macro(f"{name}.mck").events
    presses = [i for i, e in enumerate(events) if e[1] == 1]
    assert len(presses) == len(LETTERS), events
    return [sum(e[2] for e in events[a:b]) for a, b in zip(presses, presses[1:])]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--delays", default="30,100,300,1000")
    args = parser.parse_args()
    delays = [int(d) for d in args.delays.split(",")]

    folder, app = ed.start("bench-macro-record")
    measured = {d: [] for d in delays}
    try:
        editor = ed.Editor()
        for r in range(args.rounds):
            # Alternate the order, so a drift in the machine's load touches every delay alike.
            for d in delays if r % 2 == 0 else reversed(delays):
                measured[d] += record(editor, f"R{r}D{d}", d)
        editor.close()
        mw.close(app)
    finally:
        app.kill()

    print(f"{'delay':>7} {'n':>4} {'mean diff':>10} {'max diff':>9} {'within 10 ms':>13}")
    for d in delays:
        diffs = [m - d for m in measured[d]]
        within = sum(abs(x) <= TOLERANCE_MS for x in diffs)
        print(f"{d:>5}ms {len(diffs):>4} {statistics.mean(diffs):>+8.1f}ms {max(diffs, key=abs):>+7}ms "
              f"{within:>6}/{len(diffs)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
