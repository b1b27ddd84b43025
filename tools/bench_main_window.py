#!/usr/bin/env python3
"""Measures the main window under Wine against a bare Win32 program (the e2e probe's `bare`
window of the same size with the same 1.3 s timer):

  start-up   launch to the window mapped on the X display, the two alternating in one run; with a
             stored profile set, or with none (--first-run)
  idle       CPU time over a period, Velkor hidden in the tray (TrayIcon 3, a linked profile, so the
             game watch looks at the processes every tick) vs bare
  memory     private memory (RssAnon + VmSwap of the Wine process: the pages of its own that no
             file backs, which is what the system's private bytes are; Wine 8 answers 0 when one
             process asks GetProcessMemoryInfo for another's PrivateUsage) of Velkor after the main window
             and the macro editor were shown and the window went to the tray (TrayIcon 3), and of
             Velkor started with /tray and never shown, each beside the bare program in one Wine;
             --steps prints it after every step of the way
  tick       one game-watch tick (process listing and match), with the processes unchanged since the
             last tick and with a full listing, from the Wine test's figures, with the processes Wine
             runs and again with --extra-processes more

Run after `make win` with the Wine server started (tests/wine-server.sh start build/win):
  python3 tools/bench_main_window.py [--runs 5] [--idle 60] [--only startup|idle|tick|memory ...]
"""
import argparse
import re
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness as h  # noqa: E402
import main_window as mw  # noqa: E402

BARE_TITLE = "Bare Bench Window"


def mapped(title):
    out = h.xdotool("search", "--onlyvisible", "--name", f"^{title}$")
    return out.returncode == 0 and out.stdout.strip() != ""


def wait_mapped(title, timeout=120):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if mapped(title):
            return True
        time.sleep(0.02)
    raise RuntimeError(f"{title} never mapped")


def start_velkor(folder):
    return subprocess.Popen([h.WINE, str(folder.file("Velkor.exe"))], cwd=folder.path, env=h.wine_env(),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start_bare(width, height):
    return subprocess.Popen([h.WINE, h.PROBE, "bare", BARE_TITLE, str(width), str(height)], env=h.wine_env(),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def end(proc, title):
    h.probe("post", title, "16", "0", "0")
    try:
        proc.wait(timeout=30)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def cpu_seconds(pid):
    """CPU time of every thread of `pid`, in nanoseconds from the scheduler: the clock ticks of
    /proc/PID/stat are too coarse for a program that sleeps nearly all the time."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # the thread ended between the listing and the read
    return total / 1e9


def bench_startup(runs, first_run):
    """Every start but the first finds a stored profile set; the first makes three profiles, and
    each new profile's identifier waits 20 ms for the clock (--first-run measures that start)."""
    folder = h.ProgramFolder("bench-startup")
    folder.set_option("TrayIcon", "2")
    if not first_run:
        stored_profiles(folder)
    velkor, bare = [], []
    for _ in range(runs):
        if first_run:
            h.fresh_user_files()
        t = time.monotonic()
        proc = start_velkor(folder)
        wait_mapped(h.TITLE)
        velkor.append(time.monotonic() - t)
        size = h.window_state()
        end(proc, h.TITLE)
        t = time.monotonic()
        proc = start_bare(size["w"], size["h"])
        wait_mapped(BARE_TITLE)
        bare.append(time.monotonic() - t)
        end(proc, BARE_TITLE)
    v, b = statistics.median(velkor), statistics.median(bare)
    print(f"start-up{' (first run)' if first_run else ''}: Velkor median {v:.2f}s {['%.2f' % x for x in velkor]}, "
          f"bare median {b:.2f}s {['%.2f' % x for x in bare]}, ratio {v / b:.2f}")


def stored_profiles(folder):
    """The profile store and current profile that Apply writes on a first run."""
    h.fresh_user_files()
    proc = start_velkor(folder)
    wait_mapped(h.TITLE)
    mw.click_child(mw.APPLY)
    h.wait_until(lambda: (mw.appdata() / "curid.dct").exists(), 60, "the first store")
    mw.wait_progress_closed()
    end(proc, h.TITLE)


def linked_store(folder):
    """A profile store whose second profile is linked to a program that never runs, so that every
    game-watch tick looks at the processes and matches them."""
    stored_profiles(folder)
    mw.link_programs([None, "never-running-game"])


def bench_idle(seconds):
    """Both programs idle side by side over the same period, so that whatever else the machine
    does then falls on both alike."""
    folder = h.ProgramFolder("bench-idle")
    folder.set_option("TrayIcon", "3")
    linked_store(folder)
    velkor = start_velkor(folder)
    wait_mapped(h.TITLE)
    mw.click_child(mw.CANCEL)  # hidden, in the tray
    mw.wait_visible(False)
    bare = start_bare(984, 640)
    wait_mapped(BARE_TITLE)
    time.sleep(5)
    v0, b0, t0 = cpu_seconds(velkor.pid), cpu_seconds(bare.pid), time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - t0
    v = (cpu_seconds(velkor.pid) - v0) / elapsed
    b = (cpu_seconds(bare.pid) - b0) / elapsed
    end(velkor, h.TITLE)
    end(bare, BARE_TITLE)
    ratio = v / b if b else float("inf")
    print(f"idle in the tray over {seconds}s: Velkor {v * 100:.3f}% of a core, bare {b * 100:.3f}%, ratio {ratio:.2f}")


EDITOR = "Macros"  # the editor's title, tc_page2
EDITOR_EXIT = 306


def memory(pid):
    fields = {}
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        key, _, value = line.partition(":")
        fields[key] = int(value.split()[0]) * 1024 if value.strip().endswith("kB") else 0
    return {"private": fields.get("RssAnon", 0) + fields.get("VmSwap", 0), "rss": fields.get("VmRSS", 0)}


def settled_memory(pid):
    """The figure once it stops moving: a step's freeing (a thread ending, the heap trimmed) lags
    behind its window closing."""
    last = memory(pid)
    for _ in range(20):
        time.sleep(0.5)
        now = memory(pid)
        if abs(now["private"] - last["private"]) < 64 << 10:
            return now
        last = now
    return last


def mb(n):
    return n / (1 << 20)


def print_step(step, state, steps):
    if steps:
        print(f"  {step}: private {mb(state['private']):.2f} MB (resident {mb(state['rss']):.2f} MB)")


def bench_memory(steps):
    folder = h.ProgramFolder("bench-memory")
    folder.set_option("TrayIcon", "3")
    stored_profiles(folder)
    bare = start_bare(984, 640)
    started = [bare]
    try:
        wait_mapped(BARE_TITLE)
        b = settled_memory(bare.pid)
        print_step("bare window", b, steps)
        proc = start_velkor(folder)
        started.append(proc)
        wait_mapped(h.TITLE)
        print_step("main window shown", settled_memory(proc.pid), steps)
        mw.click_child(mw.MACROS)
        wait_mapped(EDITOR)
        print_step("macro editor shown", settled_memory(proc.pid), steps)
        mw.click_child(EDITOR_EXIT, EDITOR)
        h.wait_until(lambda: h.window_state(EDITOR).get("found") == 0, 30, "the editor to close")
        print_step("macro editor closed", settled_memory(proc.pid), steps)
        mw.click_child(mw.CANCEL)
        mw.wait_visible(False)
        used = settled_memory(proc.pid)
        print_step("in the tray", used, steps)
        end(proc, h.TITLE)
        proc = subprocess.Popen([h.WINE, str(folder.file("Velkor.exe")), "/tray"], cwd=folder.path, env=h.wine_env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        started.append(proc)
        h.wait_until(lambda: h.window_state().get("found") == 1, 90, "the hidden main window")
        time.sleep(3)  # whatever it does at start-up, done
        never = settled_memory(proc.pid)
        print_step("started with /tray, never shown", never, steps)
        end(proc, h.TITLE)
        b = settled_memory(bare.pid)
    finally:
        end(bare, BARE_TITLE)
        for p in started:
            if p.poll() is None:
                p.kill()
                p.wait()
    print(f"memory: bare {mb(b['private']):.2f} MB; Velkor in the tray after use {mb(used['private']):.2f} MB "
          f"(+{mb(used['private'] - b['private']):.2f}), started with /tray {mb(never['private']):.2f} MB "
          f"(+{mb(never['private'] - b['private']):.2f})")


def run_tick_test():
    exe = h.BUILD / "tests" / "win_app_game_watch_test.exe"
    out = subprocess.run([str(h.BUILD / "wine-run"), str(exe), "--gtest_filter=*OneTick*"], env=h.wine_env(),
                         capture_output=True, text=True, timeout=300)
    m = re.search(r"game-watch tick: ([0-9.]+) ms over ([0-9]+) processes; with a full listing ([0-9.]+) ms",
                  out.stdout)
    return (float(m.group(1)), int(m.group(2)), float(m.group(3))) if m else (None, 0, None)


def bench_tick(extra):
    """The tick with the processes Wine runs anyway, then with `extra` more sleeping beside it, the
    way a desktop machine runs a hundred programs and services."""
    ms, count, full = run_tick_test()
    print(f"game-watch tick: {ms} ms over {count} processes unchanged since the last tick; {full} ms with a full listing")
    if extra <= 0:
        return
    sleepers = [subprocess.Popen([h.WINE, h.PROBE, "sleep", "600000"], env=h.wine_env(), stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for _ in range(extra)]
    try:
        # Wine starts them slowly on a busy machine: measure once they are listed. A few of the
        # processes counted before may have ended meanwhile (a program of an earlier measurement
        # still closing, a Wine service that stops when idle).
        h.wait_until(lambda: run_tick_test()[1] >= count + extra - 3, 600, f"{extra} sleeping processes")
        ms, listed, full = run_tick_test()
        print(f"game-watch tick: {ms} ms over {listed} processes unchanged since the last tick; {full} ms with a full listing")
    finally:
        for p in sleepers:
            p.kill()
        for p in sleepers:
            p.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=int, default=60)
    parser.add_argument("--first-run", action="store_true",
                        help="start-up with no stored profiles, as on the first run")
    parser.add_argument("--extra-processes", type=int, default=60,
                        help="sleeping processes started beside the tick measurement")
    parser.add_argument("--steps", action="store_true", help="memory: the figures after every step")
    parser.add_argument("--only", choices=["startup", "idle", "tick", "memory"], action="append",
                        help="run only these measurements (may be given more than once)")
    args = parser.parse_args()
    only = set(args.only or ["startup", "idle", "tick", "memory"])
    if "startup" in only:
        bench_startup(args.runs, args.first_run)
    if "idle" in only:
        bench_idle(args.idle)
    if "tick" in only:
        bench_tick(args.extra_processes)
    if "memory" in only:
        bench_memory(args.steps)
    return 0


if __name__ == "__main__":
    sys.exit(main())
