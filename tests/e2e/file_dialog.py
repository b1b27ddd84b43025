"""The system's open and save dialogs, answered as a user would: the path typed into the file-name
field and Enter pressed, or Cancel clicked."""
import ntpath

import harness as h

# The file-name field: a combo box in the Explorer-style dialog, an edit field in the older one.
FILE_NAME_FIELDS = (0x047C, 0x0480)
CANCEL = 2
OPEN, SAVE = "Open", "Save As"


def windows_path(path):
    """A Linux path as programs under Wine see it (the Z: drive)."""
    return "Z:" + str(path).replace("/", "\\")


def wait_file_dialog(title, timeout=30):
    return h.wait_until(lambda: h.window_state(title).get("visible") == 1, timeout, f"the dialog '{title}'")


def _file_name_field(title):
    for control in FILE_NAME_FIELDS:
        field = h.probe("child", title, str(control))
        if field.get("found") == 1 and field.get("visible") == 1:
            return field
    raise AssertionError(f"the dialog '{title}' has no file-name field")


def wait_file_dialog_closed(title, timeout=30):
    h.wait_until(lambda: h.window_state(title).get("found") == 0, timeout, f"the dialog '{title}' to close")


def answer_file_dialog(title, path, timeout=30):
    """Waits for the dialog titled `title` (OPEN or SAVE), types `path` (a Windows path, see
    windows_path) over whatever its file-name field holds, presses Enter and waits for the dialog
    to close."""
    wait_file_dialog(title, timeout)
    field = _file_name_field(title)
    # The field's left part: a combo box's arrow sits at its right end.
    h.click(field["x"] + 20, field["y"] + field["h"] // 2)
    h.xdotool("key", "--clearmodifiers", "End", "shift+Home", "BackSpace")
    h.xdotool("type", "--delay", "15", "--clearmodifiers", path)
    h.xdotool("key", "--clearmodifiers", "Return")
    try:
        wait_file_dialog_closed(title, timeout)
    except AssertionError:
        h.screenshot("file-dialog-left-open-" + ntpath.basename(path))
        raise


def cancel_file_dialog(title, timeout=30):
    wait_file_dialog(title, timeout)
    cancel = h.probe("child", title, str(CANCEL))
    h.click(cancel["x"] + cancel["w"] // 2, cancel["y"] + cancel["h"] // 2)
    wait_file_dialog_closed(title, timeout)
