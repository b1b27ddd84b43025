"""The main window under a user in a hurry and under messages from other programs: ten keys edited
in a row, each with one click and the next click at once, all on the wire after one Apply; a key
click posted while a dialog of ours is open opens nothing; a click on a button while a skinned
menu is open closes the menu and presses the button."""
import sys
import time

import file_dialog as fd
import harness as h
import main_window as mw
import picker as p
import test_profile_files as pf

CTRL, SHIFT = 0x01, 0x02


def usage(label):
    """The HID usage of a letter, a digit or F1..F12."""
    if len(label) == 1 and label.isalpha():
        return 0x04 + ord(label) - ord("A")
    if len(label) == 1 and label.isdigit():
        return 0x27 if label == "0" else 0x1E + int(label) - 1
    return 0x3A + int(label[1:]) - 1


def stays_absent(title, seconds=3):
    """Fails as soon as a window titled `title` shows within `seconds`: a posted click that were
    taken would open its picker well within that."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        assert h.window_state(title).get("found") == 0, f"'{title}' opened"
        time.sleep(0.2)


def close_editor():
    mw.post(mw.WM_CLOSE, title=mw.TEXTS["tc_page2"])
    h.wait_until(lambda: h.window_state(mw.TEXTS["tc_page2"]).get("found") == 0, 20, "the editor to close")


def test_ten_keys_edited_in_a_row_reach_the_keyboard():
    h.fresh_user_files()
    folder = h.ProgramFolder("quick-ten-keys")
    folder.set_option("ApplyNow", "0")
    edits = [("Q", "ctrl+c", CTRL, "C"), ("W", "ctrl+v", CTRL, "V"), ("E", "shift+a", SHIFT, "A"),
             ("R", "ctrl+shift+s", CTRL | SHIFT, "S"), ("T", "ctrl+x", CTRL, "X"), ("Y", "ctrl+z", CTRL, "Z"),
             ("U", "shift+1", SHIFT, "1"), ("I", "ctrl+F2", CTRL, "F2"), ("O", "ctrl+b", CTRL, "B"),
             ("P", "shift+m", SHIFT, "M")]
    app = mw.start(folder)
    try:
        for name, keys, _, label in edits:
            # One click on the key, right after the previous picker went: it must be taken.
            title = p.open_on_key(folder, name)
            p.switch_page(title, 1)
            h.xdotool("key", keys)
            h.wait_until(lambda: mw.child(p.COMBO_DISPLAY, title).get("text", "").endswith(" + " + label), 20,
                         f"the combination {keys} on the picker of {name}")
            # The next key is clicked as soon as the picker is hidden, not once it is gone.
            mw.click_child(p.OK, title)
            h.wait_until(lambda: h.window_state(title).get("visible") != 1, 20, f"the picker of {name} to hide")
        p.wait_closed(title)
        sent = p.apply_and_wait(folder)
        for name, keys, modifiers, label in edits:
            word = p.matrix_word(sent[p.MATRIX], p.find_key(folder, name).matrix)
            assert word == bytes([0, modifiers, usage(label), 0]), (name, keys, word.hex())
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_a_key_click_posted_while_a_dialog_of_ours_is_open_opens_nothing():
    h.fresh_user_files()
    folder = h.ProgramFolder("quick-posted-clicks")
    app = mw.start(folder)
    t = p.find_key(folder, "T")
    nested = p.title_for("T")
    try:
        # The key function picker.
        title = p.open_on_key(folder, "R")
        mw.post(mw.WM_KEY_CLICKED, t.slot, 0)
        stays_absent(nested)
        mw.click_child(p.CANCEL, title)
        p.wait_closed(title)

        # The macro editor.
        mw.click_child(mw.MACROS)
        mw.wait_box(mw.TEXTS["tc_page2"])
        mw.post(mw.WM_KEY_CLICKED, t.slot, 0)
        stays_absent(nested)
        close_editor()

        # A message box: Restore's question.
        mw.click_child(mw.RESTORE)
        mw.wait_box(mw.TEXTS["tc_msg5"])
        mw.post(mw.WM_KEY_CLICKED, t.slot, 0)
        stays_absent(nested)
        mw.answer_box(mw.TEXTS["tc_msg5"], mw.BOX_CANCEL)

        # The system's save dialog, opened by the profile menu.
        pf.pick(pf.centre(mw.PROFILE1), pf.EXPORT)
        fd.wait_open()
        mw.post(mw.WM_KEY_CLICKED, t.slot, 0)
        stays_absent(nested)
        fd.cancel()

        # Nothing was queued meanwhile: the next click opens its picker as usual.
        title = p.open_on_key(folder, "T")
        mw.post(mw.WM_CLOSE, title=title)
        p.wait_closed(title)
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_a_click_on_a_button_while_a_menu_is_open_closes_it_and_presses_the_button():
    h.fresh_user_files()
    folder = h.ProgramFolder("quick-menu-click")
    app = mw.start(folder)
    try:
        pf.open_menu(pf.centre(mw.PROFILE2))
        mw.click_child(mw.MACROS)
        mw.wait_box(mw.TEXTS["tc_page2"])
        assert h.probe("class", p.MENU_CLASS).get("found") == 0
        close_editor()
        assert mw.close(app) == 0
    finally:
        app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_ten_keys_edited_in_a_row_reach_the_keyboard,
                          test_a_key_click_posted_while_a_dialog_of_ours_is_open_opens_nothing,
                          test_a_click_on_a_button_while_a_menu_is_open_closes_it_and_presses_the_button]))
