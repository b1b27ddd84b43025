#!/usr/bin/env python3
"""Random input against Velkor under Wine, for a seed and a duration.

Starts the demo program folder (the simulated keyboard) with an application-data folder of its
own and sends random input to whatever window of ours is on top: clicks, right and double clicks,
drags, keys, typed text, and our program messages posted from outside with values in and out of
range. As it goes it checks that the process lives, that the main window answers a message within
a few seconds and that no dialog of ours opens inside another of ours; at the end, that
`velkorctl list` loads the store and that every macro file is whole. The system's open, save and
folder dialogs (and message boxes) get Cancel, so nothing is written outside the data folders.

Run after `make win` with the Wine server started (tests/wine-server.sh start build/win):
  nice -n 10 python3 tools/soak.py [--seed N] [--minutes M | --actions N]
It prints the seed and the number of actions, and for whatever broke the last actions that led
there; the exit status is 1 when something broke.
"""
import argparse
import collections
import random
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness as h  # noqa: E402

TITLE = h.TITLE
APPDIR = "VelkorSoak"
SCREEN = (1280, 800)

# Our top-level windows by class; "dialog" ones must never be open two at a time.
OURS = {
    "VelkorMainWindow": "main",
    "VelkorKeyFunPick": "picker",
    "VelkorMacroEditor": "editor",
    "VelkorMsgDlg": "message box",
    "VelkorProgressDlg": "progress",
    "VorlaxMenu": "menu",
    "#32770": "system dialog",
    "#32768": "system menu",
}
EXCLUSIVE = ("picker", "editor", "progress")

WM_CLOSE, WM_COMMAND, WM_KEYDOWN, WM_TIMER = 0x0010, 0x0111, 0x0100, 0x0113
WM_TRAY_NOTIFY, WM_KEY_CLICKED, WM_DEVICE_INPUT = 0x046C, 0x0481, 0x07EB
WM_MENU_PICKED, WM_MACRO_KEY, WM_SWATCH_CLICKED = 0x0477, 0x040A, 0x043E
WM_TREE_CLICK, WM_TREE_RCLICK, WM_SLIDER_SET, WM_SLIDER_TRACK = 0x0594, 0x0592, 0x0800, 0x0801
ID_TRAY_OPEN, ID_TRAY_EXIT, IDCANCEL, VK_ESCAPE = 0x6000, 0x6001, 2, 0x1B

KEYS = ["Tab", "Return", "Escape", "space", "BackSpace", "Delete", "Up", "Down", "Left", "Right", "a", "z",
        "1", "9", "F1", "F5", "ctrl+c", "ctrl+v", "shift+Tab", "Control_L", "Shift_R", "Home", "End"]
# Out of range as well as in: any process can post these to us.
ODD_NUMBERS = [0, 1, 2, 3, 7, 143, 144, 255, 256, 0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFFFFFFFF]


class Broke(Exception):
    pass


def windows():
    """Our visible top-level windows, top of the z-order first."""
    out = subprocess.run([h.WINE, h.PROBE, "windows"], env=h.wine_env(), capture_output=True, text=True,
                         timeout=30).stdout
    found = []
    for line in out.splitlines():
        head, _, title = line.partition(" title=")
        w = dict(part.split("=", 1) for part in head.split() if "=" in part)
        if w.get("class") in OURS:
            w["kind"] = OURS[w["class"]]
            w["title"] = title.strip()
            for k in ("x", "y", "w", "h", "hwnd", "enabled"):
                w[k] = int(w[k])
            found.append(w)
    return found


def kids(hwnd):
    out = subprocess.run([h.WINE, h.PROBE, "kids", f"hwnd={hwnd}"], env=h.wine_env(), capture_output=True,
                         text=True, timeout=30).stdout
    found = []
    for line in out.splitlines():
        head, _, _ = line.partition(" title=")
        w = dict(part.split("=", 1) for part in head.split() if "=" in part)
        if "hwnd" in w:
            found.append(w)
    return found


def post(hwnd, msg, wparam, lparam):
    h.probe("post", f"hwnd={hwnd}", str(msg), str(wparam), str(lparam))


class Soak:
    def __init__(self, seed, folder_name):
        self.rng = random.Random(seed)
        self.verbose = False
        self.seed = seed
        self.actions = 0
        self.last = collections.deque(maxlen=15)
        self.folder = h.ProgramFolder(folder_name)
        self.folder.set_option("appdir", APPDIR)
        self.folder.set_option("TrayIcon", "3")  # closing hides; the soak opens it from the tray
        shutil.rmtree(self.data_folder(), ignore_errors=True)
        self.app = h.Velkor(self.folder)
        h.wait_window(TITLE, 60)
        self.main = next(w["hwnd"] for w in windows() if w["kind"] == "main")

    def data_folder(self):
        return h.local_appdata() / APPDIR

    def note(self, text):
        self.actions += 1
        self.last.append(f"{self.actions}: {text}")
        if self.verbose:
            print(f"  {self.last[-1]}", flush=True)

    # --- checks -------------------------------------------------------------------------------
    def check(self, ours):
        if self.app.proc.poll() is not None:
            raise Broke(f"Velkor ended (exit status {self.app.proc.returncode})")
        kinds = [w["kind"] for w in ours]
        open_dialogs = [k for k in kinds if k in EXCLUSIVE]
        if len(open_dialogs) > 1:
            raise Broke(f"a dialog inside another: {', '.join(open_dialogs)}")
        if kinds.count("message box") > 1:
            raise Broke("a message box inside another")
        if "system dialog" in kinds and ("picker" in kinds or "progress" in kinds):
            raise Broke(f"a system dialog inside a dialog of ours: {', '.join(kinds)}")

    def ping(self):
        state = h.probe("ping", f"hwnd={self.main}")
        if state.get("answered") != 1:
            # Once more: a Wine process start can itself take a while on a loaded machine.
            if h.probe("ping", f"hwnd={self.main}").get("answered") != 1:
                raise Broke("the main window did not answer a message within 5 s")

    # --- input --------------------------------------------------------------------------------
    def point_in(self, w):
        return (w["x"] + self.rng.randrange(max(1, w["w"])), w["y"] + self.rng.randrange(max(1, w["h"])))

    def mouse(self, w):
        # Often on one of the window's controls, which a point anywhere seldom hits.
        controls = kids(w["hwnd"]) if w["kind"] != "menu" and self.rng.random() < 0.5 else []
        if controls:
            c = self.rng.choice(controls)
            x, y = self.point_in({k: int(c[k]) for k in ("x", "y", "w", "h")})
        else:
            x, y = self.point_in(w)
        kind = self.rng.choices(["click", "right click", "double click", "drag"], [10, 3, 3, 2])[0]
        if kind == "click":
            h.xdotool("mousemove", str(x), str(y), "click", "1")
        elif kind == "right click":
            h.xdotool("mousemove", str(x), str(y), "click", "3")
        elif kind == "double click":
            h.xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "60", "1")
        else:
            x2 = min(max(0, x + self.rng.randint(-80, 80)), SCREEN[0] - 1)
            y2 = min(max(0, y + self.rng.randint(-80, 80)), SCREEN[1] - 1)
            h.xdotool("mousemove", str(x), str(y), "mousedown", "1", "mousemove", str((x + x2) // 2),
                      str((y + y2) // 2), "mousemove", str(x2), str(y2), "mouseup", "1")
            self.note(f"drag on the {w['kind']} from {x},{y} to {x2},{y2}")
            return
        self.note(f"{kind} on the {w['kind']} at {x},{y}")

    def keys(self, w):
        if self.rng.random() < 0.3:
            text = "".join(self.rng.choice("abcxyz0159 -_.") for _ in range(self.rng.randint(1, 12)))
            h.xdotool("type", "--delay", "20", text)
            self.note(f"typed {text!r} into the {w['kind']}")
        else:
            key = self.rng.choice(KEYS)
            h.xdotool("key", key)
            self.note(f"key {key} on the {w['kind']}")

    def message(self, w):
        r = self.rng
        odd = lambda: r.choice(ODD_NUMBERS + [r.randrange(0, 1 << 32)])  # noqa: E731
        if w["kind"] == "main" or r.random() < 0.4:
            choice = r.choice(["key", "tray", "device", "command", "timer", "panel pick"])
            if choice == "key":
                args = (WM_KEY_CLICKED, r.choice([r.randrange(0, 104), odd()]), 0)
            elif choice == "tray":
                # Not the right click (0x0205): a click on its menu's Exit would end the program.
                args = (WM_TRAY_NOTIFY, 0, r.choice([0x0201, 0x0203, 0x0202, 0x0204, odd()]))
            elif choice == "device":
                args = (WM_DEVICE_INPUT, odd(), odd())
            elif choice == "command":
                # Never the tray's Exit: the soak ends the program itself.
                args = (WM_COMMAND, r.choice([ID_TRAY_OPEN, 1000 + r.randrange(12), r.randrange(0x10000)]),
                        r.choice([0, odd()]))
            elif choice == "timer":
                args = (WM_TIMER, r.choice([0x240, 0x241, odd()]), 0)
            else:
                panel = next((k for k in kids(self.main) if k.get("class") == "VelkorLedPanel"), None)
                if panel:
                    post(int(panel["hwnd"]), WM_MENU_PICKED, r.choice([3, 4, 5, 6, odd()]), r.choice([2, 2, odd()]))
                    self.note("posted a profile menu pick to the lighting panel")
                    return
                args = (WM_MENU_PICKED, odd(), odd())
            if args[0] == WM_COMMAND and args[1] == ID_TRAY_EXIT:
                return
            post(self.main, *args)
            self.note(f"posted {args[0]:#x} {args[1]:#x} {args[2]:#x} to the main window")
            return
        if r.random() < 0.3:
            # A pick of a command the window knows, as its own menus would post it.
            value = r.choice([1 << r.randrange(11), 0xF70080, 0xF80080, 0xF90080, 0xF00080 + (r.randrange(7) << 16)])
            number = r.choice([0x7FF, value, 0x8000, 2, odd()])
            post(w["hwnd"], WM_MENU_PICKED, value, number)
            self.note(f"posted the menu pick {value:#x} {number:#x} to the {w['kind']}")
            return
        msg = r.choice([WM_MENU_PICKED, WM_MACRO_KEY, WM_TREE_CLICK, WM_TREE_RCLICK, WM_SWATCH_CLICKED,
                        WM_SLIDER_SET, WM_SLIDER_TRACK, WM_KEY_CLICKED])
        wparam = r.choice([261, 262, r.randrange(0, 256), odd()])
        lparam = r.choice([0, 0x80, r.randrange(0, 64), odd()])
        post(w["hwnd"], msg, wparam, lparam)
        self.note(f"posted {msg:#x} {wparam:#x} {lparam:#x} to the {w['kind']}")

    def tidy(self, w):
        """The system's own windows are sent away; a window dragged off the screen comes back."""
        if w["kind"] == "system dialog":
            post(w["hwnd"], WM_COMMAND, IDCANCEL, 0)
            self.note(f"cancelled the system dialog '{w['title']}'")
            return True
        if w["kind"] == "system menu":
            # The menu's own loop takes keys from the thread's queue, whichever window has the focus.
            post(w["hwnd"], WM_KEYDOWN, VK_ESCAPE, 0)
            self.note("sent Escape to the tray menu")
            return True
        if w["kind"] == "main" and w["x"] <= -30000:  # minimised
            post(self.main, WM_TRAY_NOTIFY, 0, 0x0203)
            self.note("opened the minimised window from the tray")
            return True
        if w["kind"] != "menu" and (w["x"] < -w["w"] // 2 or w["y"] < 0 or w["x"] > SCREEN[0] - 80
                                    or w["y"] > SCREEN[1] - 60):
            h.probe("move", f"hwnd={w['hwnd']}", "100", "60")
            self.note(f"moved the {w['kind']} back onto the screen")
            return True
        return False

    def step(self):
        ours = windows()
        self.check(ours)
        if not ours:
            post(self.main, WM_TRAY_NOTIFY, 0, 0x0203)
            self.note("opened the window from the tray")
            return
        top = ours[0]
        if self.tidy(top):
            return
        kind = self.rng.choices(["mouse", "keys", "message"], [12, 5, 4])[0]
        getattr(self, kind)(top)

    # --- the end ------------------------------------------------------------------------------
    def finish(self):
        post(self.main, WM_COMMAND, ID_TRAY_EXIT, 0)
        end = time.monotonic() + 60
        while self.app.proc.poll() is None and time.monotonic() < end:
            # Whatever is still open (a dialog, a system dialog) is cancelled so the exit goes on.
            for w in windows():
                if w["kind"] == "system dialog":
                    post(w["hwnd"], WM_COMMAND, IDCANCEL, 0)
                elif w["kind"] == "system menu":
                    post(w["hwnd"], WM_KEYDOWN, VK_ESCAPE, 0)
                elif w["kind"] in ("picker", "editor", "message box"):
                    post(w["hwnd"], WM_CLOSE, 0, 0)
            post(self.main, WM_COMMAND, ID_TRAY_EXIT, 0)
            time.sleep(1)
        if self.app.proc.poll() is None:
            self.app.kill()
            raise Broke("Velkor did not end when told to")
        listed = subprocess.run([h.WINE, str(self.folder.file("velkorctl.exe")), "list"], cwd=self.folder.path,
                                env=h.wine_env(), capture_output=True, text=True, timeout=60)
        if listed.returncode != 0 or len(listed.stdout.strip().splitlines()) != 3:
            raise Broke(f"velkorctl list: status {listed.returncode}, {listed.stdout!r} {listed.stderr!r}")
        for path in sorted(self.data_folder().rglob("*")):
            if path.suffix.lower() == ".mc~":
                raise Broke(f"a half-written macro file was left: {path}")
            if path.suffix.lower() != ".mck":
                continue
            data = path.read_bytes()
            if len(data) != 834 or struct.unpack_from("<I", data)[0] != 0xFAFB88A0:
                raise Broke(f"macro file not whole: {path} ({len(data)} bytes)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--minutes", type=float, default=5)
    parser.add_argument("--actions", type=int, default=0, help="stop after this many actions instead")
    parser.add_argument("--verbose", action="store_true", help="print every action as it is sent")
    parser.add_argument("--ping-every", type=int, default=10, help="actions between two pings of the main window")
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 31)
    print(f"soak: seed {seed}", flush=True)
    soak = Soak(seed, f"soak-{seed}")
    soak.verbose = args.verbose
    started = time.monotonic()
    broke = None
    try:
        while (soak.actions < args.actions) if args.actions else (time.monotonic() - started < args.minutes * 60):
            soak.step()
            if soak.actions % args.ping_every == 0:
                soak.ping()
        soak.check(windows())
        soak.finish()
    except Broke as e:
        broke = str(e)
    finally:
        soak.app.kill()
    minutes = (time.monotonic() - started) / 60
    print(f"soak: seed {seed}, {soak.actions} actions in {minutes:.1f} min: {broke or 'nothing broke'}")
    if broke:
        print("the last actions:")
        for line in soak.last:
            print(f"  {line}")
    return 1 if broke else 0


if __name__ == "__main__":
    sys.exit(main())
