"""Profile files and game links through the main window under Wine: a right click on a profile
button or on the lighting panel opens the profile menu; a profile with two macro keys exported
through the save dialog and imported into another profile through the open dialog sends the same
macro bank and key matrix after Apply, its macros joined the library as files; a missing, an
empty and a foreign file are each told; a profile linked to a program through the window is
switched in by the game watch once that program runs."""
import struct
import sys

import file_dialog as fd
import harness as h
import main_window as mw
from test_game_watch import start_game
from test_lighting_panel import wire_reports
from test_velkorctl import STORE_SLOTS, macro_file, profile

ALPHA, BETA, GAMMA = 0x0A0B0C, 0x000101, 0x000202
MENU_ROW = 20
EXPORT, IMPORT, LINK, UNLINK = range(4)
PANEL_LEFT, PANEL_TOP = 19, 244
PANEL_BACKGROUND = (200, 47)  # between the mode drop-down and the brightness label
NOT_A_PROFILE = "This is not a valid profile"


def store_three_profiles():
    """Alpha (current) gives keys 1 and 2 a macro each; Beta and Gamma are plain."""
    data = mw.appdata()
    (data / "Mac").mkdir(parents=True)
    (data / "Mac" / "Dash.mck").write_bytes(macro_file(0x00ABCD, "Dash", 0, 3, [(0x41, 1, 20), (0x41, 0, 5)]))
    (data / "Mac" / "Jump.mck").write_bytes(macro_file(0x00ABCE, "Jump", 0, 1, [(0x20, 1, 40), (0x20, 0, 0)]))
    alpha = profile(ALPHA, "Alpha", 2, keys=[(1, 5, 0, 0x00ABCD, 0, 0), (2, 5, 0, 0x00ABCE, 0, 0)])
    beta = profile(BETA, "Beta", 2, keys=[(3, 2, 0, 0, 0, 0x42)])
    gamma = profile(GAMMA, "Gamma", 2)
    (data / "pro.dct").write_bytes(alpha + beta + gamma + bytes(mw.PROFILE_BYTES * (STORE_SLOTS - 3)))
    (data / "curid.dct").write_bytes(struct.pack("<I", ALPHA))


def centre(control_id):
    c = mw.child(control_id)
    assert c.get("visible") == 1, (control_id, c)
    return c["x"] + c["w"] // 2, c["y"] + c["h"] // 2


def panel_point():
    state = h.window_state()
    return state["x"] + PANEL_LEFT + PANEL_BACKGROUND[0], state["y"] + PANEL_TOP + PANEL_BACKGROUND[1]


def menu_row(at, row):
    """The middle of a row of the menu a right click at `at` opened (it opens just right of it)."""
    return at[0] + 2 + 60, at[1] + MENU_ROW * row + MENU_ROW // 2


def open_menu(at, shot=None):
    h.xdotool("mousemove", str(at[0]), str(at[1]), "click", "3")
    first = menu_row(at, 0)
    h.wait_until(lambda: h.probe("at", h.TITLE, str(first[0]), str(first[1])).get("inside") == 0, 10,
                 "the profile menu to open")
    if shot:
        h.screenshot(shot)


def pick(at, row, shot=None):
    open_menu(at, shot)
    h.click(*menu_row(at, row))


def apply_and_wait(folder):
    """Apply; returns the reports of this apply from the wire log."""
    before = len(wire_reports(folder))
    mw.click_child(mw.APPLY)
    mw.wait_progress_closed()
    return h.wait_until(lambda: [r for r, ok in wire_reports(folder)[before:] if ok and r[0] == 9]
                        and [r for r, ok in wire_reports(folder)[before:] if ok], 30, "the key matrix on the wire")


def by_report(reports):
    return {r[0]: r for r in reports}


def test_an_exported_profile_imported_into_another_sends_the_same_macros_and_keys():
    h.fresh_user_files()
    store_three_profiles()
    folder = h.ProgramFolder("profile-files")
    kbp = folder.file("alpha.kbp")
    app = mw.start(folder)
    try:
        original = by_report(apply_and_wait(folder))
        assert 12 in original and 9 in original, sorted(original)

        pick(centre(mw.PROFILE1), EXPORT, shot="profile-menu-over-button")
        fd.choose_file(fd.wine_path(kbp))
        h.wait_until(lambda: kbp.exists() and kbp.stat().st_size == 17196, 10, "the exported file")

        # Into Beta while Alpha stays current: nothing shown changes until Beta is chosen.
        pick(centre(mw.PROFILE2), IMPORT)
        fd.choose_file(fd.wine_path(kbp))
        h.wait_until(lambda: len(list((mw.appdata() / "Mac").glob("*.mck"))) == 4, 10, "the imported macro files")
        assert sorted(p.name for p in (mw.appdata() / "Mac").glob("*.mck")) == \
            ["Dash (2).mck", "Dash.mck", "Jump (2).mck", "Jump.mck"]

        mw.click_child(mw.PROFILE2)
        imported = by_report(apply_and_wait(folder))
        assert imported[12] == original[12]
        assert imported[9] == original[9]
        # Saved once the progress dialog has gone; Beta current shows these reports were Beta's.
        h.wait_until(lambda: mw.current_id() == BETA, 10, "Beta saved as the current profile")
        assert [(pid, name) for pid, name, _ in mw.read_store()] == [(ALPHA, "Alpha"), (BETA, "Beta"),
                                                                     (GAMMA, "Gamma")]
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_missing_empty_and_foreign_files_are_told():
    h.fresh_user_files()
    store_three_profiles()
    folder = h.ProgramFolder("profile-files-bad")
    folder.file("empty.kbp").write_bytes(b"")
    folder.file("foreign.kbp").write_bytes(b"\x55" * 17196)
    app = mw.start(folder)
    try:
        cases = [("missing.kbp", "Open profile failed"), ("empty.kbp", "Open profile failed."),
                 ("foreign.kbp", NOT_A_PROFILE)]
        for name, notice in cases:
            pick(panel_point(), IMPORT, shot=None if name != "missing.kbp" else "profile-menu-over-panel")
            fd.choose_file(fd.wine_path(folder.file(name)))
            mw.wait_box(notice)
            h.screenshot("profile-notice-" + name.split(".")[0])
            mw.answer_box(notice)
        # Nothing reached the profile: Apply sends Alpha's two macros as before.
        reports = by_report(apply_and_wait(folder))
        assert 12 in reports
        assert mw.close(app) == 0
    finally:
        app.kill()


def test_a_profile_linked_through_the_window_follows_its_program():
    h.fresh_user_files()
    store_three_profiles()
    folder = h.ProgramFolder("profile-link")
    game = folder.file("lnkgame.exe")
    game.write_bytes(open(h.PROBE, "rb").read())
    app = mw.start(folder)
    running = None
    try:
        pick(centre(mw.PROFILE3), LINK)
        fd.choose_file(fd.wine_path(game))
        apply_and_wait(folder)
        h.wait_until(lambda: [link for _, _, link in mw.read_store()] == ["", "", "lnkgame.exe"], 10,
                     "the link in the saved store")
        assert mw.current_id() == ALPHA

        running = start_game(folder, "lnkgame.exe")
        h.wait_until(lambda: mw.current_id() == GAMMA, 60, "the linked profile to become current")
        running.kill()

        # The linked profile's menu now offers to remove the link.
        pick(centre(mw.PROFILE3), UNLINK, shot="profile-menu-linked")
        apply_and_wait(folder)
        h.wait_until(lambda: [link for _, _, link in mw.read_store()] == ["", "", ""], 10, "the link removed")
        assert mw.close(app) == 0
    finally:
        if running:
            running.kill()
        app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_an_exported_profile_imported_into_another_sends_the_same_macros_and_keys,
                          test_missing_empty_and_foreign_files_are_told,
                          test_a_profile_linked_through_the_window_follows_its_program]))
