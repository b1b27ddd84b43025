"""What the main window's end-to-end tests share: its controls by identifier, the skinned message
box, the profile store and the simulated keyboard's wire log."""
import re
import struct
import subprocess
import sys
from pathlib import Path

import harness as h

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from skin.pixels import read_png  # noqa: E402

# Control identifiers of the main window (src/app/velkor_dlg_win.h) and of the message box.
MINIMISE, CLOSE, PROFILE1, PROFILE2, PROFILE3, MACROS, RESTORE, OK, CANCEL, APPLY = range(1000, 1010)
KEYBOARD = 1100
BOX_OK, BOX_CANCEL = 101, 102

WM_CLOSE, WM_COMMAND, WM_TRAY_NOTIFY, WM_KEY_CLICKED = 0x0010, 0x0111, 0x046C, 0x0481
TRAY_OPEN, TRAY_MENU = 0x0203, 0x0205
ID_TRAY_EXIT = 0x6001

PROFILE_BYTES, SLOTS = 8856, 40
TEXTS = {
    "tc_msg5": "Restore the default settings of this profile?",
    "tc_msg11": "More than one keyboard is connected. Please connect only one keyboard.",
    "tc_msg15": "No keyboard found. Please check the USB connection.",
    "tc_msg34": "Key Function: ",
    "tc_page2": "Macros",
}


def start(folder, env=None, visible=True):
    """Starts Velkor and waits for its window (shown, or only created when `visible` is False)."""
    app = h.Velkor(folder, env)
    if visible:
        h.wait_window(timeout=90)
    else:
        h.wait_until(lambda: h.window_state().get("found") == 1, 90, "the main window to exist")
    return app


def child(control_id, title=h.TITLE):
    return h.probe("child", title, str(control_id))


def click_child(control_id, title=h.TITLE):
    # A probe can find nothing while the window is still being put on the screen.
    c = h.wait_until(lambda: (lambda c: c.get("found") == 1 and c.get("visible") == 1 and c)(child(control_id, title)),
                     10, f"control {control_id} to be shown")
    h.click(c["x"] + c["w"] // 2, c["y"] + c["h"] // 2)


def post(message, wparam=0, lparam=0, title=h.TITLE):
    h.probe("post", title, str(message), str(wparam), str(lparam))


def wait_box(text, timeout=30):
    return h.wait_until(lambda: h.window_state(text).get("visible") == 1, timeout, f"the box '{text}'")


def answer_box(text, button=BOX_OK):
    wait_box(text)
    click_child(button, text)
    h.wait_until(lambda: h.window_state(text).get("found") == 0, 20, f"the box '{text}' to close")


def wait_progress_closed(timeout=30):
    """The apply worker has closed the progress dialog and the main window takes clicks again."""
    h.wait_until(lambda: h.window_state("MyProgressDlg..").get("found") == 0, timeout, "the progress dialog to close")


def screen_pixel(x, y):
    """(r, g, b) as the display shows it at (x, y)."""
    out = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         env=h.wine_env(), capture_output=True, text=True, timeout=30).stdout
    m = re.search(r"^0,0: \((\d+),(\d+),(\d+)", out, re.MULTILINE)
    return tuple(int(v) for v in m.groups()) if m else None


# Where the skinned buttons' pictures differ between their looks, away from the caption.
LOOK_PIXEL = (4, 12)


def wait_button_look(folder, control_id, picture, timeout=20):
    """Waits until the display shows the button drawn with `picture` (a file of the skin)."""
    want = read_png(folder.file(f"skins/{picture}").read_bytes()).pixel(*LOOK_PIXEL)[:3]
    c = child(control_id)
    h.wait_until(lambda: screen_pixel(c["x"] + LOOK_PIXEL[0], c["y"] + LOOK_PIXEL[1]) == want, timeout,
                 f"button {control_id} drawn as {picture}")


def wait_visible(visible, timeout=20):
    h.wait_until(lambda: h.window_state().get("visible") == int(visible), timeout,
                 "the main window to " + ("show" if visible else "hide"))


def close(app):
    post(WM_CLOSE)
    return app.wait_exit(timeout=40)


def appdata():
    return h.local_appdata() / "Velkor"


def read_store():
    """The used slots of pro.dct: (identifier, name, linked program) each."""
    data = (appdata() / "pro.dct").read_bytes()
    assert len(data) == PROFILE_BYTES * SLOTS
    out = []
    for k in range(SLOTS):
        slot = data[k * PROFILE_BYTES:(k + 1) * PROFILE_BYTES]
        pid = struct.unpack_from("<I", slot, 4)[0]
        if pid:
            out.append((pid, _text(slot[528:568]), _text(slot[8:528])))
    return out


def link_programs(links):
    """Rewrites pro.dct with the linked program name of slot k set to links[k] (None keeps it)."""
    path = appdata() / "pro.dct"
    data = bytearray(path.read_bytes())
    for k, name in enumerate(links):
        if name is None:
            continue
        field = name.encode("utf-16-le")[:520].ljust(520, b"\0")
        data[k * PROFILE_BYTES + 8:k * PROFILE_BYTES + 528] = field
    path.write_bytes(bytes(data))


def current_id():
    path = appdata() / "curid.dct"
    return struct.unpack("<I", path.read_bytes()[:4])[0] if path.exists() else 0


def wire_log(folder):
    path = folder.file("lodrex-sim.log")
    return path.read_text().splitlines() if path.exists() else []


def sent_commands(folder):
    """The report numbers the simulated keyboard took, in order."""
    return [int(line.split()[-1][:2], 16) for line in wire_log(folder) if " ok " in line]


def _text(raw):
    return raw.decode("utf-16-le", errors="replace").split("\0", 1)[0]
