#!/usr/bin/env python3
"""The macro editor's folder import of 200 macros, under Wine, timed inside one process
(build/win/bench/bench_import_folder.exe): from the folder's choice to the library tree holding
every imported macro with its file written. Start the Wine server first
(tests/wine-server.sh start build/win); then: python3 tools/bench_import_folder.py [--runs N]"""
import argparse
import pathlib
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness as h  # noqa: E402

BENCH = ROOT / "build" / "win" / "bench" / "bench_import_folder.exe"


def macro_bytes(identifier, name):
    raw = bytearray(834)
    struct.pack_into("<5I", raw, 0, 0xFAFB88A0, identifier, 0, 1, 0)
    raw[20:100] = name.encode("utf-16-le").ljust(80, b"\0")
    struct.pack_into("<IH", raw, 100, 0, 1)
    struct.pack_into("<HHIHHI", raw, 106, 0x41, 1, 10, 0x41, 0, 0)
    return bytes(((b >> 2) | (b << 6)) & 0xFF for b in raw)


def win_path(path):
    return "Z:" + str(path).replace("/", "\\")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--count", type=int, default=200)
    args = parser.parse_args()
    work = pathlib.Path(tempfile.mkdtemp(prefix="velkor-bench-import-"))
    try:
        pack = work / "Pack"
        pack.mkdir()
        for i in range(args.count):
            (pack / f"Macro {i:03}.mck").write_bytes(macro_bytes(0x100000 + i, f"Macro {i:03}"))
        (work / "data" / "Mac").mkdir(parents=True)
        out = subprocess.run([h.WINE, str(BENCH), win_path(work / "data"), win_path(pack), str(args.runs)],
                             env=h.wine_env(), capture_output=True, text=True, timeout=600)
        times = [float(line.split()[1]) for line in out.stdout.splitlines() if line.startswith("import ")]
        items = {line.split()[2] for line in out.stdout.splitlines() if line.startswith("import ")}
        if not times:
            print(out.stdout, out.stderr)
            return 1
        print(f"folder import of {args.count} macros: median {statistics.median(times):.0f} ms "
              f"(runs: {', '.join(f'{t:.0f}' for t in times)}; tree items {', '.join(sorted(items))})")
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
