"""The key function picker as a user works it: open it with a click on a key of the keyboard
picture, switch its pages, pick from its drop-down and its macro tree, press OK; plus the
keyboard layout the main window draws (to find a key's place and matrix position) and the
reports on the simulated keyboard's wire."""
import re
from dataclasses import dataclass

import harness as h
import main_window as mw

# Control identifiers of the picker (src/dialogs/key_fun_pick_dlg_win.cpp); a swatch is 1000 + index.
TAB_COMBO, TAB_MACRO, TAB_MEDIA = 200, 201, 202
OK, CANCEL, COMBO_DISPLAY, MEDIA, TREE = 210, 211, 212, 213, 214
SWATCH0 = 1000
PAGE_CONTROL = {1: COMBO_DISPLAY, 2: TREE, 3: MEDIA}
# The restore-default hot spot, in client pixels.
RESTORE_SPOT = (498, 20)

TREE_ROW, TREE_INDENT, TREE_MARGIN = 20, 19, 3
MENU_ROW = 20
MENU_CLASS = "VorlaxMenu"

TEXTS = {
    "tc_msg3": "Nothing to accept on this page. Please choose a function first.",
    "tc_msg14": "Restore the default function of this key?",
}

# Report numbers on the wire.
LIGHTING, COLOURS, MACRO_BANK, MATRIX = 10, 11, 12, 9
WIRE = re.compile(r"t=\d+ col=\d+ len=\d+ (ok|fail) ([0-9a-f]*)")


@dataclass
class Key:
    slot: int
    vk: int
    rect: tuple  # left, top, right, bottom in keyboard-picture pixels
    matrix: int

    def centre(self):
        return (self.rect[0] + self.rect[2]) // 2, (self.rect[1] + self.rect[3]) // 2


def layout(folder):
    """The [KEY] entries of the folder's cfg.ini in slot order (refused entries left out)."""
    keys, in_keys = [], False
    for line in folder.file("cfg.ini").read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if line.startswith("["):
            in_keys = line.upper() == "[KEY]"
            continue
        m = re.fullmatch(r"K\d+=(.*)", line) if in_keys else None
        if not m:
            continue
        f = [x.strip() for x in m.group(1).split(",")]
        matrix = int(f[7]) & 0xFF
        if matrix < 144:
            keys.append(Key(len(keys), int(f[5], 16), tuple(int(v) for v in f[:4]), matrix))
    return keys


def vk_of(name):
    """The virtual-key code of a key named as its picker title shows it: a letter, a digit or F1..F12."""
    if len(name) == 1 and name.isalnum():
        return ord(name.upper())
    if re.fullmatch(r"F([1-9]|1[0-2])", name):
        return 0x6F + int(name[1:])
    raise ValueError(f"no key code known for {name!r}")


def find_key(folder, name):
    vk = vk_of(name)
    return next(k for k in layout(folder) if k.vk == vk)


def title_for(name):
    return mw.TEXTS["tc_msg34"] + name


def open_on_key(folder, name, title=None):
    """Clicks the key `name` on the keyboard picture and waits for its picker; returns the picker's
    title. `title` is the key's current function as the title names it (the key's name by default)."""
    key = find_key(folder, name)
    kb = mw.child(mw.KEYBOARD)
    x, y = key.centre()
    h.click(kb["x"] + x, kb["y"] + y)
    title = title_for(title or name)
    mw.wait_box(title)
    return title


def wait_closed(title, timeout=20):
    h.wait_until(lambda: h.window_state(title).get("found") == 0, timeout, f"the picker '{title}' to close")


def switch_page(title, page):
    """Clicks the tab of page 1, 2 or 3 and waits for the page's control to show."""
    mw.click_child(TAB_COMBO + page - 1, title)
    h.wait_until(lambda: mw.child(PAGE_CONTROL[page], title).get("visible") == 1, 20, f"page {page} of the picker")


def press_ok(title):
    """Clicks OK and waits for the picker to close (use click_child for an OK that must not close it)."""
    mw.click_child(OK, title)
    wait_closed(title)


def click_client(title, x, y):
    state = h.window_state(title)
    h.click(state["x"] + x, state["y"] + y)


def wait_caption(control_id, text, title, timeout=20):
    return h.wait_until(lambda: mw.child(control_id, title).get("text") == text, timeout,
                        f"the caption '{text}' on control {control_id}")


def open_menu(control_id, title):
    """Clicks a drop-down and waits for its menu; returns the menu's state (its screen rectangle)."""
    c = mw.child(control_id, title)
    assert c.get("visible") == 1, (control_id, c)
    return open_menu_at(c["x"] + c["w"] // 2, c["y"] + c["h"] // 2)


def open_menu_at(x, y):
    """Clicks the drop-down at a screen point and waits for its menu."""
    h.click(x, y)
    return h.wait_until(lambda: (lambda s: s.get("visible") == 1 and s)(h.probe("class", MENU_CLASS)), 20,
                        "the drop-down menu")


def pick_menu_row(menu, row):
    h.click(menu["x"] + menu["w"] // 2, menu["y"] + row * MENU_ROW + MENU_ROW // 2)
    h.wait_until(lambda: h.probe("class", MENU_CLASS).get("visible") != 1, 20, "the drop-down menu to close")


def pick_media(title, row):
    """Page 3: opens the media drop-down and picks the row (0 = first)."""
    pick_menu_row(open_menu(MEDIA, title), row)


def click_tree_row(title, row, depth=0, on_button=False):
    """Clicks the tree's row `row` (0 = top), on the text or, for a folder, on its expand button."""
    tree = mw.child(TREE, title)
    x = TREE_MARGIN + depth * TREE_INDENT + (TREE_INDENT // 2 if on_button else TREE_INDENT + 30)
    h.click(tree["x"] + x, tree["y"] + row * TREE_ROW + TREE_ROW // 2)


def wire_reports(folder, number=None):
    """The reports the simulated keyboard took (`ok` only), oldest first; only report `number` when given."""
    out = []
    for line in mw.wire_log(folder):
        m = WIRE.fullmatch(line.strip())
        assert m, line
        data = bytes.fromhex(m.group(2))
        if m.group(1) == "ok" and (number is None or (data and data[0] == number)):
            out.append(data)
    return out


def matrix_word(report, position):
    """The four bytes of a key matrix report's word at a matrix position (byte 0 first)."""
    return report[1 + 4 * position:5 + 4 * position]


def apply_and_wait(folder, number=MATRIX):
    """Clicks Apply, waits for one more report `number` and for the progress dialog to close;
    returns the reports of every number sent by this Apply, as {number: report}."""
    before = len(wire_reports(folder))
    count = len(wire_reports(folder, number))
    mw.click_child(mw.APPLY)
    h.wait_until(lambda: len(wire_reports(folder, number)) > count, 30, f"report {number} after Apply")
    mw.wait_progress_closed()
    return {r[0]: r for r in wire_reports(folder)[before:]}
