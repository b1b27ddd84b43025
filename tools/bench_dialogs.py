#!/usr/bin/env python3
"""Measures the key function picker and the macro editor with a library of 2000 macros in nested
folders, under Wine, each inside its own process (build/win/bench/bench_dialogs.exe):

  picker open   a key's picker from EditKeyFromPicker to painted (goal: under 100 ms), the
                first in a process apart, and against a plain pop-up of the same size that
                paints one picture (the floor on this machine at that moment)
  picker page2  the macro tab's click to its filled tree painted; `cold` empties MacroList
                first, so every file is read again: then also the click to the page painted
                with what it has while the files are read
  editor load   RunMacroDlg to the editor with its filled library tree painted, against a plain
                Win32 read of the same files (build/win/bench/bench_raw_read.exe), the two
                alternating in one run (goal: at most 2x); `cold` empties MacroList first, so
                the editor reads every file too, and `shown` is the editor painted with what it
                has meanwhile

MacroList is loaded first as start-up loads it, and the picker's pictures are prefetched as the
main window does, half a second before the first opening. Run after `make win` with the Wine server
started (tests/wine-server.sh start build/win):
  python3 tools/bench_dialogs.py [--rounds 5] [--runs 5]
"""
import argparse
import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness as h  # noqa: E402

BENCH = h.BUILD / "bench"
MAGIC = 0xFAFB88A0


def win_path(path):
    return "Z:" + str(path).replace("/", "\\")


def macro_bytes(identifier, name):
    """One .mck record: the 834-byte StMacro with a few key events, each byte rotated right by 2."""
    record = struct.pack("<5I", MAGIC, identifier, 0, 1, 0)
    record += name.encode("utf-16-le")[:78].ljust(80, b"\0")
    record += struct.pack("<IH", 0, 1)
    events = b"".join(struct.pack("<HHI", vk, down, 50) for vk in (0x41, 0x42) for down in (1, 0))
    record += events.ljust(91 * 8, b"\0")
    assert len(record) == 834
    return bytes(((b >> 2) | (b << 6)) & 0xFF for b in record)


def make_library(app_data, count=2000):
    """200 macros at the top, then six folders of 100 macros, each with two sub-folders of 75 and
    a third level of 50 in the first: 2000 in all, four levels deep."""
    mac = app_data / "Mac"
    if mac.is_dir() and sum(1 for _ in mac.rglob("*.mck")) == count:
        return mac
    shutil.rmtree(mac, ignore_errors=True)
    plan = [(mac, 200)]
    for f in range(6):
        folder = mac / f"Folder {f + 1}"
        plan += [(folder, 100), (folder / "Left", 75), (folder / "Right", 75), (folder / "Left" / "Deep", 50)]
    identifier = 0x100000
    for folder, n in plan:
        folder.mkdir(parents=True, exist_ok=True)
        for i in range(n):
            identifier += 1
            name = f"{folder.name} macro {i + 1:03}"
            (folder / f"{name}.mck").write_bytes(macro_bytes(identifier, name))
    assert identifier - 0x100000 == count
    return mac


def run(args):
    out = subprocess.run([h.WINE, *map(str, args)], env=h.wine_env(), capture_output=True, text=True,
                         timeout=600)
    if out.returncode != 0:
        raise RuntimeError(f"{args[0]} failed: {out.stderr[-2000:]}")
    return out.stdout


def figures(pattern, text):
    return [float(m) for m in re.findall(pattern, text)]


def med(values):
    return statistics.median(values) if values else float("nan")


def fmt(values):
    return "[" + ", ".join(f"{v:.0f}" for v in values) + "]"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=5, help="processes of each kind, alternating")
    parser.add_argument("--runs", type=int, default=5, help="openings per process")
    parser.add_argument("--parts", action="store_true", help="also time the pieces of a picker's opening")
    args = parser.parse_args()

    program = h.DIST / "demo"
    app_data = h.BUILD / "bench-appdata"
    mac = make_library(app_data)
    dialogs, raw = BENCH / "bench_dialogs.exe", BENCH / "bench_raw_read.exe"
    common = [win_path(program), win_path(app_data)]
    print(f"load average before: {Path('/proc/loadavg').read_text().strip()}")

    if args.parts:
        print(run([dialogs, "parts", *common]).strip())

    opened, first_opened, page2, first_page2, bare = [], [], [], [], []
    page2_cold, page2_cold_shown = [], []
    editor, editor_cold, editor_cold_shown, raw_ms = [], [], [], []
    for _ in range(args.rounds):
        out = run([dialogs, "picker", *common, args.runs])
        o, p = figures(r"picker open ([0-9.]+)", out), figures(r"page2 ([0-9.]+)", out)
        bare += figures(r"bare window ([0-9.]+)", out)[1:]
        opened += o[1:]
        first_opened += o[:1]
        page2 += p[1:]
        first_page2 += p[:1]
        out = run([dialogs, "picker", *common, args.runs, "cold"])
        page2_cold += figures(r"page2 ([0-9.]+)", out)
        page2_cold_shown += figures(r"page2 shown ([0-9.]+)", out)
        raw_ms += figures(r"raw read ([0-9.]+)", run([raw, win_path(mac), args.runs]))
        editor += figures(r"editor load ([0-9.]+)", run([dialogs, "editor", *common, args.runs]))
        raw_ms += figures(r"raw read ([0-9.]+)", run([raw, win_path(mac), args.runs]))
        out = run([dialogs, "editor", *common, args.runs, "cold"])
        editor_cold += figures(r"editor load ([0-9.]+)", out)
        editor_cold_shown += figures(r"editor shown ([0-9.]+)", out)

    print(f"picker open, first in a process: median {med(first_opened):.0f} ms "
          f"{fmt(first_opened)}")
    print(f"picker open, later openings: median {med(opened):.0f} ms, max {max(opened):.0f} {fmt(opened)}")
    print(f"bare pop-up of the picker's size, created to painted: median {med(bare):.0f} ms {fmt(bare)}; "
          f"picker / bare {med(opened) / med(bare):.2f}")
    print(f"picker page 2, first in a process: median {med(first_page2):.0f} ms {fmt(first_page2)}")
    print(f"picker page 2, later openings: median {med(page2):.0f} ms {fmt(page2)}")
    print(f"picker page 2, MacroList emptied first: shown with what it has: median {med(page2_cold_shown):.0f} ms "
          f"{fmt(page2_cold_shown)}; filled: median {med(page2_cold):.0f} ms {fmt(page2_cold)}")
    r = med(raw_ms)
    print(f"raw read of {mac}: median {r:.0f} ms {fmt(raw_ms)}")
    print(f"editor load: median {med(editor):.0f} ms {fmt(editor)}, ratio to raw read {med(editor) / r:.2f}")
    print(f"editor load, MacroList emptied first: median {med(editor_cold):.0f} ms {fmt(editor_cold)}, "
          f"ratio to raw read {med(editor_cold) / r:.2f}; shown with what it has meanwhile: "
          f"median {med(editor_cold_shown):.0f} ms {fmt(editor_cold_shown)}")
    print(f"load average after: {Path('/proc/loadavg').read_text().strip()}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
