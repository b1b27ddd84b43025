"""The key function picker in the running program, against the simulated keyboard: a key clicked
on the keyboard picture gets a combination typed on page 1, a media function, a macro from the
page-2 tree or its default back, and Apply sends it; in the per-key colour mode a swatch gives
the key a colour in the current game group."""
import struct
import sys
from contextlib import contextmanager

import harness as h
import main_window as mw
import picker as p

MACRO_MAGIC = 0xFAFB88A0
KEY_J, KEY_D, KEY_Q = 0x4A, 0x44, 0x51
USAGE = {KEY_J: 0x0D, KEY_D: 0x07, KEY_Q: 0x14}


def write_macro(path, macro_id, name, vk):
    """A .mck file: one press and release of `vk`, 30 ms apart, played once."""
    record = bytearray(834)
    struct.pack_into("<IIIII", record, 0, MACRO_MAGIC, macro_id, 0, 1, 0)
    record[20:20 + 2 * len(name)] = name.encode("utf-16-le")
    struct.pack_into("<H", record, 104, 1)
    struct.pack_into("<HHI", record, 106, vk, 1, 30)
    struct.pack_into("<HHI", record, 114, vk, 0, 0)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(bytes(((b >> 2) | (b << 6)) & 0xFF for b in record))


def macro_buffer(vk):
    """What write_macro's macro is in a keyboard macro buffer: press after 30 ms, then release."""
    return bytes([3, 0, USAGE[vk], 0x80, 0, USAGE[vk]]).ljust(48, b"\0")


@contextmanager
def running(name):
    h.fresh_user_files()
    folder = h.ProgramFolder(name)
    folder.set_option("ApplyNow", "0")
    # The library the macro page shows: a folder with a sub-folder, a macro in each, and a macro
    # at the top level.
    mac = mw.appdata() / "Mac"
    write_macro(mac / "Games" / "Jump.mck", 0x1A0001, "Jump", KEY_J)
    write_macro(mac / "Games" / "Old" / "Dash.mck", 0x1A0002, "Dash", KEY_D)
    write_macro(mac / "Quit.mck", 0x1A0003, "Quit", KEY_Q)
    app = mw.start(folder)
    try:
        yield folder
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_combination_media_macro_and_restore_reach_the_keyboard():
    with running("picker-functions") as folder:
        r, t, y, u = (p.find_key(folder, n) for n in "RTYU")

        # Ctrl+C typed on page 1.
        title = p.open_on_key(folder, "R")
        assert mw.child(p.SWATCH0, title)["found"] == 0  # no colours outside the per-key colour mode
        p.switch_page(title, 1)
        h.xdotool("key", "ctrl+c")
        p.wait_caption(p.COMBO_DISPLAY, "Ctrl + C", title)
        h.screenshot("picker-page-1")
        p.press_ok(title)
        sent = p.apply_and_wait(folder)
        assert p.matrix_word(sent[p.MATRIX], r.matrix) == bytes([0, 0x01, 0x06, 0]), sent[p.MATRIX].hex()

        # Tab, Esc and Enter are keys on page 1: none moves the focus or closes the picker. The
        # third key is dropped; Ctrl, pressed last, shows that Enter was taken and the picker lives.
        title = p.open_on_key(folder, "T")
        p.switch_page(title, 1)
        for key, caption in (("Tab", "Tab"), ("Escape", "Tab + Esc"), ("Return", None), ("ctrl", "Ctrl + Tab + Esc")):
            h.xdotool("key", key)
            if caption:
                p.wait_caption(p.COMBO_DISPLAY, caption, title)
        p.press_ok(title)

        # Page 3: nothing chosen yet, so OK only tells so; then Play/Pause, the second row.
        title = p.open_on_key(folder, "Y")
        p.switch_page(title, 3)
        mw.click_child(p.OK, title)
        mw.answer_box(p.TEXTS["tc_msg3"])
        menu = p.open_menu(p.MEDIA, title)
        h.screenshot("picker-media-open")
        p.pick_menu_row(menu, 1)
        p.wait_caption(p.MEDIA, "Play/Pause", title)
        h.screenshot("picker-page-3")
        p.press_ok(title)

        # Page 2, both folders opened: Games, Jump, Old, Dash, Quit. Jump is the macro picked.
        title = p.open_on_key(folder, "U")
        p.switch_page(title, 2)
        p.click_tree_row(title, 0, on_button=True)
        p.click_tree_row(title, 2, depth=1, on_button=True)
        h.screenshot("picker-page-2")
        mw.click_child(p.OK, title)  # Old, a folder, is selected: not a function
        mw.answer_box(p.TEXTS["tc_msg3"])
        p.click_tree_row(title, 1, depth=1)
        p.press_ok(title)

        sent = p.apply_and_wait(folder)
        matrix = sent[p.MATRIX]
        assert p.matrix_word(matrix, t.matrix) == bytes([0, 0x01, 0x2B, 0x29]), matrix.hex()
        assert p.matrix_word(matrix, y.matrix) == struct.pack("<I", 0xCD000001), matrix.hex()
        # Buffer 1, played once; the bank holds Jump in buffer 1 and nothing after it.
        assert p.matrix_word(matrix, u.matrix) == bytes([0x02, 0, 1, 1]), matrix.hex()
        bank = sent[p.MACRO_BANK]
        assert bank[1:49] == macro_buffer(KEY_J), bank[1:49].hex()
        assert not any(bank[49:]), bank.hex()

        # Restore default: refused, the picker stays; confirmed, R is R again.
        title = p.open_on_key(folder, "R", title="L-Ctrl + C")
        p.click_client(title, *p.RESTORE_SPOT)
        mw.answer_box(p.TEXTS["tc_msg14"], mw.BOX_CANCEL)
        assert h.window_state(title)["visible"] == 1
        p.click_client(title, *p.RESTORE_SPOT)
        mw.answer_box(p.TEXTS["tc_msg14"], mw.BOX_OK)
        p.wait_closed(title)
        sent = p.apply_and_wait(folder)
        assert p.matrix_word(sent[p.MATRIX], r.matrix) == bytes([0, 0, 0x15, 0]), sent[p.MATRIX].hex()
        assert p.matrix_word(sent[p.MATRIX], u.matrix) == bytes([0x02, 0, 1, 1])


def choose_in_panel(state, combo, row):
    """Picks a row of one of the lighting panel's drop-downs (its place in panel pixels)."""
    menu = p.open_menu_at(state["x"] + PANEL_LEFT + combo[0], state["y"] + PANEL_TOP + combo[1])
    p.pick_menu_row(menu, row)


# The lighting panel in the main window, and the centres of its mode and game group drop-downs.
PANEL_LEFT, PANEL_TOP = 19, 244
MODE_COMBO, GROUP_COMBO = (15 + 68, 29 + 12), (15 + 68, 137 + 12)
PER_KEY_MODE, GREEN, GREEN_INDEX = 3, 2, 2


def test_a_swatch_colours_the_key_in_the_current_game_group():
    with running("picker-colours") as folder:
        r = p.find_key(folder, "R")
        state = h.window_state()
        choose_in_panel(state, MODE_COMBO, PER_KEY_MODE)
        choose_in_panel(state, GROUP_COMBO, 2)
        before = p.apply_and_wait(folder)[p.COLOURS]
        assert before[1] == 3, before.hex()  # after the report number: game group + 1

        title = p.open_on_key(folder, "R")
        assert mw.child(p.SWATCH0 + 7, title)["visible"] == 1
        h.screenshot("picker-swatches")
        mw.click_child(p.SWATCH0 + GREEN, title)
        p.wait_closed(title)
        sent = p.apply_and_wait(folder)
        assert sent[p.LIGHTING][1] == PER_KEY_MODE, sent[p.LIGHTING].hex()
        colours = sent[p.COLOURS]
        at = 2 + r.matrix
        assert colours[1] == 3 and colours[at] == GREEN_INDEX, colours.hex()
        assert colours[:at] + colours[at + 1:] == before[:at] + before[at + 1:]
        # The colour is not a function: R still sends R.
        assert p.matrix_word(sent[p.MATRIX], r.matrix) == bytes([0, 0, 0x15, 0])

        # Group 0 kept its own colour for R.
        choose_in_panel(state, GROUP_COMBO, 0)
        group0 = p.apply_and_wait(folder)[p.COLOURS]
        assert group0[1] == 1 and group0[at] != GREEN_INDEX, group0.hex()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_combination_media_macro_and_restore_reach_the_keyboard,
                          test_a_swatch_colours_the_key_in_the_current_game_group]))
