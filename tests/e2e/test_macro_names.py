"""Names a player may well type that the system reads as another place or a device, tried through
the macro editor's menus under Wine: refused with the editor's notice, and the data folder
(pro.dct, curid.dct and every macro file) byte for byte as it was."""
import sys

import harness as h
import main_window as mw
import test_macro_editor as me

BAD_NAME = ("This name cannot be used: it is empty, too long, ends in a dot or a blank, is a name Windows "
            'keeps for a device (CON, NUL, COM1...), or holds one of \\ / : * ? " < > |')
MACROS = {"Games/Fire.mck": me.Macro("Fire", 0x0F0F01, [(0x46, 1, 20), (0x46, 0, 0)], count=3),
          "Games/Jump.mck": me.Macro("Jump", 0x0F0F02, [(0x20, 1, 10), (0x20, 0, 0)])}


def data_files():
    """Every file of the application-data folder with its bytes."""
    root = mw.appdata()
    return {str(p.relative_to(root)): p.read_bytes() for p in sorted(root.rglob("*")) if p.is_file()}


def test_dot_and_device_names_are_refused_and_change_nothing():
    h.fresh_user_files()
    for name, m in MACROS.items():
        path = me.library() / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(me.encode_mck(m))
    folder = h.ProgramFolder("macro-names")
    for key, value in {"TrayIcon": 2, "Debug": 2, "MacroDir": 1}.items():
        folder.set_option(key, str(value))
    app = mw.start(folder)
    try:
        mw.click_child(mw.APPLY)  # the store and the current profile on disk, to be kept
        h.wait_until(lambda: (mw.appdata() / "curid.dct").exists(), 30, "curid.dct")
        mw.wait_progress_closed()
        before = data_files()
        assert {"pro.dct", "curid.dct", "Mac/Games/Fire.mck", "Mac/Games/Jump.mck"} <= set(before), before.keys()

        editor = me.Editor()
        # One row, the folder Games (closed): a new folder at the top and one inside it, each way.
        for name in ("..", "CON"):
            editor.command(me.NEW_FOLDER)
            editor.answer_text(me.TEXTS["tc_macro_msg13"], name)
            mw.wait_box(BAD_NAME)
            h.screenshot(f"macro-names-notice-{name.strip('.') or 'dots'}")
            mw.answer_box(BAD_NAME)
            editor.command(me.NEW_FOLDER, 0, offered=me.ON_FOLDER)
            editor.answer_text(me.TEXTS["tc_macro_msg13"], name)
            mw.answer_box(BAD_NAME)
        # Games renamed each way: ".." cut at its last dot is ".", refused all the same.
        for name in ("..", "con.txt"):
            editor.command(me.RENAME, 0, offered=me.ON_FOLDER)
            editor.answer_text(me.TEXTS["tc_macro_msg13"], name)
            mw.answer_box(BAD_NAME)
        h.screenshot("macro-names-refused")
        editor.close()
        assert data_files() == before
        assert mw.close(app) == 0
        assert data_files() == before
    finally:
        app.kill()


def main():
    return h.run_tests([test_dot_and_device_names_are_refused_and_change_nothing])


if __name__ == "__main__":
    sys.exit(main())
