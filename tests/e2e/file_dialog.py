"""The system's open, save and folder dialogs as a user drives them: wait for the dialog, type a
path into it, confirm. Used by every test that makes Velkor read or write a file the user names.

Paths are typed as Windows paths; `wine_path` turns a path of this machine into one (Wine shows
the whole file system as drive Z:).

    fd.choose_file(fd.wine_path(target))          # open or save: type the path, Enter
    fd.choose_file(path, overwrite=True)          # save over an existing file: Yes to the question
    fd.choose_folder(folder)                      # the folder browser, walked to the folder
    fd.cancel()                                   # whichever of them is open
"""
import time
from pathlib import Path

import harness as h

DIALOG = "class=#32770"
OK, CANCEL, YES = 1, 2, 6
FILE_NAME = 1148       # the file name box of the open and save dialogs (a combo box with an edit)
FOLDER_TREE = 14145    # the folder browser's tree of folders
FOLDER_NAME = 14149    # the folder browser's edit box: the name of the folder selected in the tree
# The folder tree joins letters typed within this time into one search; a new name must wait it.
TYPE_AHEAD_GAP = 0.6


def wine_path(path):
    """A path of this machine as the Windows programs under Wine see it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _dialog():
    return h.probe("state", DIALOG)


def wait_open(timeout=30):
    """Waits for a system dialog to be shown and in front; returns its state."""
    return h.wait_until(lambda: (lambda s: s if s.get("visible") == 1 and s.get("foreground") == 1 else None)(
        _dialog()), timeout, "a system dialog")


def wait_closed(timeout=30):
    h.wait_until(lambda: _dialog().get("found") == 0, timeout, "the system dialog to close")


def _control(control_id):
    return h.probe("text", DIALOG, str(control_id))


def _focus_on(control_id, timeout=10):
    """Clicks into a control of the open dialog until it holds the keyboard focus."""
    def focused():
        box = _control(control_id)
        if box.get("visible") != 1:
            return None
        h.click(box["x"] + 12, box["y"] + box["h"] // 2)
        focus = h.probe("focus")
        return focus.get("topclass") == "#32770" and focus.get("id") == control_id and focus
    return h.wait_until(focused, timeout, f"the focus in control {control_id} of the system dialog")


def _type_into_box(control_id, text):
    """Replaces the text of an edit box of the dialog by typing, and checks what it holds."""
    _focus_on(control_id)
    h.xdotool("key", "End", "shift+Home", "BackSpace")
    h.xdotool("type", "--delay", "15", text)
    h.wait_until(lambda: _control(control_id).get("text") == text, 10, f"'{text}' in the dialog's box")


def choose_file(path, overwrite=False, timeout=30):
    """Types `path` into the open or save dialog's file name box and confirms it. With
    `overwrite`, answers Yes when the save dialog asks whether to replace the file; without it,
    such a question fails the test."""
    wait_open(timeout)
    _type_into_box(FILE_NAME, path)
    h.xdotool("key", "Return")

    def answered():
        state = _dialog()
        if state.get("found") == 0:
            return True
        # The question about replacing a file is a dialog of the same class without a file box.
        if state.get("foreground") == 1 and _control(FILE_NAME).get("found") == 0:
            assert overwrite, f"the file dialog asked a question about {path}"
            yes = h.probe("child", DIALOG, str(YES))
            if yes.get("visible") == 1:
                h.click(yes["x"] + yes["w"] // 2, yes["y"] + yes["h"] // 2)
        return False
    h.wait_until(answered, timeout, f"the file dialog to take {path}")


def choose_folder(path, timeout=30):
    """Walks the folder browser's tree to `path` (a path of this machine) by typing the name of
    each folder on the way, then confirms. The walk starts at the desktop's own folders when
    `path` lies on the desktop, else at the file system's root ("/")."""
    wait_open(timeout)
    path = Path(path).resolve()
    desktop = h.desktop()
    if path == desktop or desktop in path.parents:
        names = list(path.relative_to(desktop).parts)
    else:
        names = ["/"] + list(path.parts[1:])
    _focus_on(FOLDER_TREE)
    h.xdotool("key", "Home")  # the desktop, the tree's root
    h.wait_until(lambda: _control(FOLDER_NAME).get("text") == "Desktop", 10, "the desktop selected")
    for name in names:
        # Into the selected folder: "+" opens it (an open one stays open), Right moves to its
        # first child.
        before = _control(FOLDER_NAME).get("text")
        h.xdotool("key", "KP_Add", "Right")
        h.wait_until(lambda: _control(FOLDER_NAME).get("text") != before, 10, f"the folders inside '{before}'")
        time.sleep(TYPE_AHEAD_GAP)
        if _control(FOLDER_NAME).get("text") != name:
            h.xdotool("type", "--delay", "15", name)
        h.wait_until(lambda: _control(FOLDER_NAME).get("text") == name, 10, f"the folder '{name}' selected")
    ok = h.probe("child", DIALOG, str(OK))
    h.click(ok["x"] + ok["w"] // 2, ok["y"] + ok["h"] // 2)
    wait_closed(timeout)


def cancel(timeout=30):
    """Presses Cancel in the open system dialog."""
    wait_open(timeout)
    button = h.probe("child", DIALOG, str(CANCEL))
    h.click(button["x"] + button["w"] // 2, button["y"] + button["h"] // 2)
    wait_closed(timeout)
