"""Runs Velkor.exe (and its tools) under Wine on a virtual display, as a user would.

Each test gets its own copy of a program folder, so it can change cfg.ini, text.xml or the skin
without touching the build, and a clean application-data folder and desktop."""
import os
import shutil
import subprocess
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
BUILD = Path(os.environ.get("VELKOR_BUILD", Path(__file__).resolve().parents[2] / "build" / "win"))
DIST = Path(os.environ.get("VELKOR_DIST", BUILD.parent / "dist"))
PROBE = os.environ.get("VELKOR_PROBE", str(BUILD / "tests" / "e2e_probe.exe"))
TITLE = "Keyboard Driver"


def wine_env(extra=None):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(BUILD.parent / "wineprefix"))
    env["HOME"] = str(BUILD.parent / "winehome")
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d")
    display_file = BUILD / "xvfb-display"
    if display_file.exists():
        env["DISPLAY"] = display_file.read_text().strip()
    if extra:
        env.update(extra)
    return env


def folder_env(folder, env):
    """Adds the WINEDLLOVERRIDES entry a program folder asks for in its wine-dll-overrides.txt (the
    hidtest folder: the simulated system HID layer in place of Wine's)."""
    overrides = Path(folder) / "wine-dll-overrides.txt"
    if overrides.exists():
        env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";" + overrides.read_text().strip()
    return env


def wine_user_dir(env=None):
    env = env or wine_env()
    users = Path(env["WINEPREFIX"]) / "drive_c" / "users"
    user = os.environ.get("USER") or "root"
    return users / user if (users / user).exists() else users / "root"


def desktop():
    return (wine_user_dir() / "Desktop").resolve()


def local_appdata():
    return wine_user_dir() / "AppData" / "Local"


def wait_until(condition, timeout, what):
    """Polls a condition until it holds; fails the test with `what` after `timeout` seconds."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError(f"timed out after {timeout}s waiting for {what}")


class ProgramFolder:
    """A private copy of a dist folder ('demo' by default)."""

    def __init__(self, name, flavour="demo"):
        self.path = BUILD / "e2e-work" / name
        if self.path.exists():
            shutil.rmtree(self.path)
        shutil.copytree(DIST / flavour, self.path)

    def file(self, name):
        return self.path / name

    def set_option(self, key, value, section="OPT"):
        """Sets one key of cfg.ini, adding it to the section when missing."""
        cfg = self.file("cfg.ini")
        lines = cfg.read_text(encoding="utf-8").splitlines() if cfg.exists() else []
        out, in_section, done = [], False, False
        for line in lines:
            stripped = line.strip()
            if stripped.startswith("["):
                if in_section and not done:
                    out.append(f"{key}={value}")
                    done = True
                in_section = stripped.lower() == f"[{section.lower()}]"
            elif in_section and stripped.split("=", 1)[0].strip().lower() == key.lower():
                if not done:
                    out.append(f"{key}={value}")
                    done = True
                continue
            out.append(line)
        if not done:
            if not in_section:
                out.append(f"[{section}]")
            out.append(f"{key}={value}")
        cfg.write_text("\r\n".join(out) + "\r\n", encoding="utf-8")


class Velkor:
    """One running copy of Velkor.exe."""

    def __init__(self, folder, env=None):
        self.folder = folder
        self.env = folder_env(folder.path, wine_env(env))
        self.proc = subprocess.Popen([WINE, str(folder.file("Velkor.exe"))], cwd=folder.path, env=self.env,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def wait_exit(self, timeout=20):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"Velkor did not end within {timeout}s")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


CLOSE_BUTTON = 1001


def close_by_click(state=None, title=TITLE):
    """Clicks the main window's close button (found by its control identifier)."""
    button = probe("child", title, str(CLOSE_BUTTON))
    assert button.get("visible") == 1, button
    click(button["x"] + button["w"] // 2, button["y"] + button["h"] // 2)


def run_until_closed(folder, title=TITLE, shot=None):
    """Starts Velkor without a tray icon, waits for its window, optionally photographs it, closes it
    with a click (which, without a tray icon, ends the program) and returns the exit code."""
    folder.set_option("TrayIcon", "2")
    app = Velkor(folder)
    try:
        state = wait_window(title)
        if shot:
            screenshot(shot)
        close_by_click(state, title)
        return app.wait_exit()
    finally:
        app.kill()


def probe(*args):
    # A probe that starts while Wine is still bringing Velkor up now and then stalls for good; a
    # fresh one, started after it is killed, answers at once.
    for attempt in range(4):
        try:
            out = subprocess.run([WINE, PROBE, *args], env=wine_env(), capture_output=True, text=True, timeout=15)
            break
        except subprocess.TimeoutExpired:
            if attempt == 3:
                raise
    state = {}
    line, _, text = out.stdout.partition(" text=")
    if _:
        state["text"] = text.rstrip("\r\n")
    for part in line.split():
        if "=" in part:
            k, v = part.split("=", 1)
            state[k] = int(v) if v.lstrip("-").isdigit() else v
    return state


def window_state(title=TITLE):
    return probe("state", title)


def wait_window(title=TITLE, timeout=30):
    return wait_until(lambda: window_state(title).get("visible") == 1 and window_state(title), timeout,
                      f"the window '{title}'")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=wine_env(), capture_output=True, text=True, timeout=30)


def click(x, y):
    xdotool("mousemove", str(x), str(y), "click", "1")


def screenshot(name):
    out = BUILD / "e2e-shots" / f"{name}.png"
    out.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", "root", str(out)], env=wine_env(), check=False, timeout=60)
    return out


def fresh_user_files():
    """Removes Log.txt from the desktop and Velkor's application-data folders."""
    log = desktop() / "Log.txt"
    if log.exists():
        log.unlink()
    for name in ("Velkor", "VelkorTest"):
        shutil.rmtree(local_appdata() / name, ignore_errors=True)


def log_entries():
    """The entries of Log.txt: each begins on a new line (stored as CR CR LF) with a time stamp."""
    path = desktop() / "Log.txt"
    if not path.exists():
        return None
    data = path.read_bytes().decode("latin-1")
    entries = data.split("\r\r\n")
    assert entries[0] == "", "Log.txt must begin with a line break"
    return [e[len("mm:ss.mmm   "):] for e in entries[1:]]


def run_tests(tests):
    """Runs the test functions in order and prints 'N passed, N failed'."""
    import traceback

    passed = failed = 0
    for test in tests:
        name = test.__name__
        try:
            test()
            passed += 1
            print(f"ok   {name}")
        except Exception:  # report every failure, then go on with the next test
            failed += 1
            print(f"FAIL {name}")
            traceback.print_exc()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0
