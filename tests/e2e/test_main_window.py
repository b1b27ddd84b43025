"""The main window under Wine: its shape and place, the keys it ignores, dragging, the profile
buttons, Apply, OK, Cancel and Restore against the simulated keyboard and the profile store."""
import sys
from pathlib import Path

import harness as h
import main_window as mw

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from skin.pixels import read_png  # noqa: E402


def test_shape_place_inert_keys_and_dragging():
    h.fresh_user_files()
    folder = h.ProgramFolder("main-shape")
    app = mw.start(folder)
    try:
        state = h.window_state()
        metrics = h.probe("metrics")
        mask = read_png(folder.file("skins/main_mask.png").read_bytes())
        assert (state["w"], state["h"]) == (mask.width, mask.height)
        assert state["x"] == (metrics["cx"] - mask.width) // 2
        assert state["y"] == (metrics["cy"] - mask.height) // 2

        # A pure-white pixel of the mask is not the window's; its neighbours inside are.
        white = next((x, y) for y in range(mask.height) for x in range(mask.width)
                     if mask.pixel(x, y)[:3] == (255, 255, 255))
        inside = (mask.width // 2, 20)
        assert mask.pixel(*inside)[:3] != (255, 255, 255)
        at = lambda p: h.probe("at", h.TITLE, str(state["x"] + p[0]), str(state["y"] + p[1]))["inside"]
        assert at(white) == 0, white
        assert at(inside) == 1

        # Enter, Esc, Space and F1 neither close the window nor press a button.
        h.click(state["x"] + 600, state["y"] + 600)
        for key in ("Return", "Escape", "space", "F1"):
            h.xdotool("key", key)
        # Input is handled in order: once the pointer after the keys lights Apply up, the keys
        # were handled, and no box of theirs holds the window.
        apply = mw.child(mw.APPLY)
        h.xdotool("mousemove", str(apply["x"] + apply["w"] // 2), str(apply["y"] + apply["h"] // 2))
        mw.wait_button_look(folder, mw.APPLY, "btn_ov.png")
        assert h.window_state()["visible"] == 1
        assert h.window_state(mw.TEXTS["tc_msg15"]).get("found") == 0
        assert not (mw.appdata() / "pro.dct").exists()  # Enter did not press OK or Apply

        # The background drags the window.
        # The window manager moves the window once it has taken the drag over, which may be after
        # the pointer's first moves, and the program learns the place when the drag ends: the
        # pointer goes on moving to its goal until the display shows the window there. A press
        # the manager did not take over is released and made again.
        shown = h.xdotool("search", "--onlyvisible", "--name", f"^{h.TITLE}$").stdout.split()
        for attempt in range(3):
            state = h.window_state()
            x, y = state["x"] + 600, state["y"] + 600
            goal = f"Position: {state['x'] + 60},{state['y'] + 30} "

            def followed():
                h.xdotool("mousemove", str(x + 30), str(y + 15), "mousemove", str(x + 60), str(y + 30))
                return any(goal in h.xdotool("getwindowgeometry", w).stdout for w in shown)

            h.xdotool("mousemove", str(x), str(y), "mousedown", "1")
            try:
                h.wait_until(followed, 5, "the window to follow the pointer")
                break
            except AssertionError:
                if attempt == 2:
                    raise
            finally:
                h.xdotool("mouseup", "1")
        moved = h.wait_until(lambda: (lambda s: s if s["x"] != state["x"] else None)(h.window_state()), 10,
                             "the window to move")
        assert (moved["x"] - state["x"], moved["y"] - state["y"]) == (60, 30), moved
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_profiles_apply_ok_cancel_and_restore():
    h.fresh_user_files()
    folder = h.ProgramFolder("main-apply")
    folder.set_option("TrayIcon", "3")
    app = mw.start(folder)
    try:
        assert mw.child(mw.PROFILE2)["text"] == "Profile 2"
        # An empty store gives three default profiles; Apply writes the first into the keyboard.
        mw.click_child(mw.APPLY)
        h.wait_until(lambda: (mw.appdata() / "curid.dct").exists(), 30, "curid.dct")
        mw.wait_progress_closed()
        store = mw.read_store()
        assert [name for _, name, _ in store] == ["Profile 1", "Profile 2", "Profile 3"], store
        assert mw.current_id() == store[0][0]
        assert mw.sent_commands(folder) == [10, 9], mw.wire_log(folder)
        h.screenshot("main-window-after-apply")

        # Profile 3, then OK: sent, saved, hidden.
        mw.click_child(mw.PROFILE3)
        mw.click_child(mw.OK)
        mw.wait_visible(False, 30)
        assert mw.current_id() == store[2][0]
        assert mw.sent_commands(folder) == [10, 9, 10, 9]

        # Back from the tray: the stored current profile is shown again.
        mw.post(mw.WM_TRAY_NOTIFY, 0, mw.TRAY_OPEN)
        mw.wait_visible(True)
        mw.click_child(mw.PROFILE2)
        mw.wait_button_look(folder, mw.PROFILE2, "button_dn.png")
        mw.wait_button_look(folder, mw.PROFILE3, "button_nr.png")
        h.screenshot("main-window-profile-2")

        # Restore asks first; Cancel on the question changes nothing.
        mw.click_child(mw.RESTORE)
        mw.answer_box(mw.TEXTS["tc_msg5"], mw.BOX_CANCEL)
        mw.click_child(mw.RESTORE)
        mw.answer_box(mw.TEXTS["tc_msg5"], mw.BOX_OK)

        # Cancel hides without saving: the switch to profile 2 is lost on reopening.
        mw.click_child(mw.CANCEL)
        mw.wait_visible(False)
        assert mw.current_id() == store[2][0]
        mw.post(mw.WM_TRAY_NOTIFY, 0, mw.TRAY_OPEN)
        mw.wait_visible(True)
        mw.click_child(mw.APPLY)
        h.wait_until(lambda: len(mw.sent_commands(folder)) == 6, 30, "the third apply")
        mw.wait_progress_closed()
        assert mw.current_id() == store[2][0]
        assert mw.read_store() == store

        # The Macros button opens the macro editor over the window.
        mw.click_child(mw.MACROS)
        mw.wait_box(mw.TEXTS["tc_page2"])
        mw.post(mw.WM_CLOSE, title=mw.TEXTS["tc_page2"])
        h.wait_until(lambda: h.window_state(mw.TEXTS["tc_page2"]).get("found") == 0, 20, "the editor to close")
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_key_clicks_from_anywhere_are_checked():
    h.fresh_user_files()
    folder = h.ProgramFolder("main-keys")
    app = mw.start(folder)
    try:
        # Slots past the layout, as any process could post them, are ignored.
        for slot in (104, 143, 144, 0xFFFFFFFF):
            mw.post(mw.WM_KEY_CLICKED, slot, 0)
        state = h.window_state()
        kb = mw.child(mw.KEYBOARD)
        # A click on a key outlines it and opens the key function picker for it; closed, the
        # window is as it was, and the pointer over another key shows the hover outline.
        h.click(kb["x"] + 160, kb["y"] + 85)
        picker = mw.TEXTS["tc_msg34"] + "R"
        mw.wait_box(picker)
        mw.post(mw.WM_CLOSE, title=picker)
        h.wait_until(lambda: h.window_state(picker).get("found") == 0, 20, "the picker to close")
        h.xdotool("mousemove", str(kb["x"] + 230), str(kb["y"] + 115))
        h.wait_until(lambda: h.window_state() == state, 20, "the main window as before")
        h.screenshot("main-window-keys")
        assert mw.close(app) == 0
    finally:
        app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_shape_place_inert_keys_and_dragging, test_profiles_apply_ok_cancel_and_restore,
                          test_key_clicks_from_anywhere_are_checked]))
