"""Start-up and shutdown of Velkor.exe under Wine: the log, the single instance, the skin check."""
import re
import sys
import time

import harness as h

SKIN_TITLE_OFFSET = 192


def write_skin(folder, text, size=520):
    data = bytearray(size)
    encoded = text.encode("utf-16-le")[: max(0, size - SKIN_TITLE_OFFSET)]
    data[SKIN_TITLE_OFFSET:SKIN_TITLE_OFFSET + len(encoded)] = encoded
    folder.file("skins/mak.skn").write_bytes(bytes(data))


def closing_ends(folder):
    """Without a tray icon the close button ends the program."""
    folder.set_option("TrayIcon", "2")
    return folder


def tc_version(folder):
    m = re.search(r"<tc_version>(.*?)</tc_version>", folder.file("text.xml").read_text(encoding="utf-8"))
    return m.group(1) if m else ""


def test_log_of_a_whole_run():
    h.fresh_user_files()
    folder = closing_ends(h.ProgramFolder("log-run"))
    folder.set_option("Debug", "2")
    assert h.run_until_closed(folder, shot="startup-main-window") == 0
    entries = h.log_entries()
    assert entries is not None, "Log.txt was not written"
    # The configuration logs what it reads (the Enter polygon) before the launch line.
    dashes = entries.index("-" * 50)
    assert re.fullmatch(r"Launch \d{4}-\d{1,2}-\d{1,2}:\d{1,2}H, App Ver=" + re.escape(tc_version(folder)),
                        entries[dashes + 1]), entries[dashes + 1]
    assert any(e.startswith("Mk AppData=") and e.endswith("\\Velkor\\") for e in entries), entries
    assert entries[-1] == "Driver exit"
    assert (h.local_appdata() / "Velkor").is_dir()


def test_no_log_when_debug_is_off():
    h.fresh_user_files()
    folder = closing_ends(h.ProgramFolder("log-off"))
    folder.set_option("Debug", "0")
    h.run_until_closed(folder)
    assert not (h.desktop() / "Log.txt").exists()


def test_second_copy_brings_the_first_forward():
    h.fresh_user_files()
    first_folder = closing_ends(h.ProgramFolder("first"))
    broken_folder = h.ProgramFolder("second-broken-skin")
    write_skin(broken_folder, "Somebody Else")
    first = h.Velkor(first_folder)
    try:
        state = h.wait_window()
        h.probe("minimize", h.TITLE)
        h.wait_until(lambda: h.window_state()["iconic"] == 1, 10, "the first window to minimise")

        # A copy whose skin check fails ends without signalling: the first stays minimised.
        broken = h.Velkor(broken_folder)
        broken.wait_exit(timeout=20)
        assert h.window_state()["iconic"] == 1

        started = time.monotonic()
        second = h.Velkor(first_folder)
        second.wait_exit(timeout=20)
        took = time.monotonic() - started
        print(f"second copy ended after {took:.1f}s")
        assert took < 10, f"the second copy took {took:.1f}s to end"
        restored = h.wait_until(lambda: (lambda s: s if s["iconic"] == 0 and s["visible"] == 1 else None)(
            h.window_state()), 10, "the first window to come back")
        assert restored["foreground"] == 1
        h.close_by_click(state)
        first.wait_exit()
    finally:
        first.kill()


def test_bad_skin_ends_without_a_window():
    cases = [
        ("missing", None, "open skn file err"),
        ("too short", ("Keyboard Driver", SKIN_TITLE_OFFSET + 8), "Error: szText=Keyb, tc_t=Keyboard Driver"),
        ("other title", ("Mouse Driver", 520), "Error: szText=Mouse Driver, tc_t=Keyboard Driver"),
    ]
    for name, skin, line in cases:
        h.fresh_user_files()
        folder = h.ProgramFolder("skin-" + name.replace(" ", "-"))
        folder.set_option("Debug", "2")
        if skin is None:
            folder.file("skins/mak.skn").unlink()
        else:
            write_skin(folder, *skin)
        app = h.Velkor(folder)
        try:
            app.wait_exit(timeout=20)
        finally:
            app.kill()
        entries = h.log_entries()
        assert line in entries, (name, entries)
        assert entries[-1] == "Driver exit", (name, entries)
        assert not any(e.startswith("Mk AppData=") for e in entries), name
        assert h.window_state().get("found") == 0, name


if __name__ == "__main__":
    sys.exit(h.run_tests([test_log_of_a_whole_run, test_no_log_when_debug_is_off,
                          test_second_copy_brings_the_first_forward, test_bad_skin_ends_without_a_window]))
