"""The main window and the tray under Wine: the three TrayIcon settings, the tray's double click
and menu, a missing keyboard and two keyboards."""
import sys
import time

import harness as h
import main_window as mw


MENU_CLASS = "VorlaxMenu"
ROW, SEPARATOR = 20, 9  # the skinned menu's rows and its separator line


WM_KEYDOWN, VK_ESCAPE = 0x0100, 0x1B


def open_tray_menu():
    mw.post(mw.WM_TRAY_NOTIFY, 0, mw.TRAY_MENU)
    menu = h.wait_until(lambda: (lambda s: s.get("visible") == 1 and s)(h.probe("class", MENU_CLASS)), 20,
                        "the tray menu")
    assert menu["h"] == 2 * ROW + SEPARATOR, menu
    return menu


def folder_with(name, **options):
    folder = h.ProgramFolder(name)
    for key, value in options.items():
        folder.set_option(key, str(value))
    return folder


def test_tray_only_starts_hidden_and_opens_from_the_tray():
    h.fresh_user_files()
    app = mw.start(folder_with("tray-1", TrayIcon=1), visible=False)
    try:
        time.sleep(2)
        assert h.window_state()["visible"] == 0
        mw.post(mw.WM_TRAY_NOTIFY, 0, 0x0201)  # a single click does nothing
        time.sleep(1)
        assert h.window_state()["visible"] == 0
        mw.post(mw.WM_TRAY_NOTIFY, 0, mw.TRAY_OPEN)
        mw.wait_visible(True)
        mw.click_child(mw.CLOSE)
        mw.wait_visible(False)
        # The tray menu is one of our skinned menus, at the cursor: Esc closes it, its Exit item
        # (below a separator line) ends the program. The hidden window holds no keyboard focus
        # under the window manager, so the Esc is put in the program's queue.
        open_tray_menu()
        mw.post(WM_KEYDOWN, VK_ESCAPE, 0)
        h.wait_until(lambda: h.probe("class", MENU_CLASS).get("found") == 0, 20, "the tray menu to close")
        menu = open_tray_menu()
        h.screenshot("tray-menu")
        h.click(menu["x"] + 40, menu["y"] + ROW + SEPARATOR + ROW // 2)
        assert app.wait_exit(timeout=40) == 0
    finally:
        app.kill()


def test_without_tray_ok_hides_and_a_second_copy_brings_it_back_and_cancel_ends():
    h.fresh_user_files()
    folder = folder_with("tray-2", TrayIcon=2)
    app = mw.start(folder)
    try:
        mw.click_child(mw.OK)
        mw.wait_visible(False, 30)
        second = h.Velkor(folder)
        second.wait_exit(timeout=40)
        mw.wait_visible(True)
        mw.click_child(mw.CANCEL)
        assert app.wait_exit(timeout=40) == 0
    finally:
        app.kill()


def test_tray_and_window_cancel_hides():
    h.fresh_user_files()
    app = mw.start(folder_with("tray-3", TrayIcon=3))
    try:
        mw.click_child(mw.CANCEL)
        mw.wait_visible(False)
        assert app.proc.poll() is None
        mw.post(mw.WM_TRAY_NOTIFY, 0, mw.TRAY_OPEN)
        mw.wait_visible(True)
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_no_keyboard_with_suwnd_off_says_so_and_ends():
    h.fresh_user_files()
    folder = folder_with("no-keyboard", Suwnd=0)
    app = h.Velkor(folder, {"LODREX_SIM_COUNT": "0"})
    try:
        mw.answer_box(mw.TEXTS["tc_msg15"])
        assert app.wait_exit(timeout=40) == 0
        assert h.window_state().get("found") == 0
    finally:
        app.kill()


def test_two_keyboards_are_refused_and_nothing_is_sent():
    h.fresh_user_files()
    folder = folder_with("two-keyboards", TrayIcon=2)
    app = h.Velkor(folder, {"LODREX_SIM_COUNT": "2"})
    try:
        mw.answer_box(mw.TEXTS["tc_msg11"])
        mw.wait_visible(True, 60)
        mw.click_child(mw.APPLY)
        mw.answer_box(mw.TEXTS["tc_msg11"])
        assert mw.sent_commands(folder) == []
        assert not (mw.appdata() / "pro.dct").exists()
        assert mw.close(app) == 0
    finally:
        app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_tray_only_starts_hidden_and_opens_from_the_tray,
                          test_without_tray_ok_hides_and_a_second_copy_brings_it_back_and_cancel_ends,
                          test_tray_and_window_cancel_hides, test_no_keyboard_with_suwnd_off_says_so_and_ends,
                          test_two_keyboards_are_refused_and_nothing_is_sent]))
