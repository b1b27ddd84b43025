#!/usr/bin/env python3
"""The main window's Apply through the shipped Lodrex.dll (the hidtest program folder, over the
simulated system HID layer) against the same through the simulated Lodrex.dll (demo): the same
bytes reach the keyboard, a keyboard pulled out in the middle of an apply ends it with the failure
box within the retries' time, and once it is plugged in again the next Apply goes through."""
import os
import re
import subprocess
import sys

import harness as h
import main_window as mw
import test_velkorctl as ctl

FAILED = "   Update settings failed!      "
BOX_TITLE, BOX_TEXT = "Error", 0xFFFF  # the system's message box and its text control
ARRIVAL, REMOVAL = 0x8000, 0x8004
# The shipped cfg.ini's keyboard, as the system names its USB device in a broadcast.
USB_NAME = r"\\?\USB#VID_1209&PID_0001#LDX1D5E0000#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"


def write_store():
    """A profile with a macro key, a combination, a media key and per-key colours (lighting mode
    3), as the current one; returns the reports velkorctl says an apply sends for it."""
    data = mw.appdata()
    os.makedirs(data / "Mac" / "Games", exist_ok=True)
    pos = ctl.layout_positions(str(h.DIST / "demo" / "cfg.ini"))
    (data / "Mac" / "Games" / "Combo.mck").write_bytes(
        ctl.macro_file(0x00ABCD, "Combo", 0, 5, [(0x41, 1, 20), (0x41, 0, 0)]))
    alpha = ctl.profile(0x0A0B0C, "Alpha", 3, group=1,
                        keys=[(0, 2, 0, 0, 0x02, 0x41), (1, 5, 0, 0x00ABCD, 0, 0), (2, 3, 34, 0, 0, 0)],
                        led=(4, 1, 3, 5, 0),
                        colors={(1, pos[0]): 0x0000FF, (1, pos[1]): 0xFFFFFF, (1, 100): 0x00FF00})
    (data / "pro.dct").write_bytes(alpha + bytes(ctl.PROFILE_BYTES * (ctl.STORE_SLOTS - 1)))
    (data / "curid.dct").write_bytes((0x0A0B0C).to_bytes(4, "little"))
    env = h.wine_env({"LODREX_SIM_COUNT": "0"})
    out = subprocess.run([h.WINE, str(h.DIST / "demo" / "velkorctl.exe"), "reports", "--appdata",
                          ctl.win_path(str(data))], env=env, capture_output=True, text=True, timeout=60)
    assert out.returncode == 0, out
    return [bytes.fromhex(line.split()[1]) for line in out.stdout.splitlines()]


def wire(folder):
    """(collection length, outcome, bytes) of every send, without the times."""
    out = []
    for line in mw.wire_log(folder):
        m = re.fullmatch(r"t=(\d+) col=(\d+) len=\d+ (ok|fail) ([0-9a-f]*)", line)
        assert m, line
        out.append((int(m.group(2)), m.group(3), bytes.fromhex(m.group(4))))
    return out


def wire_times(folder):
    return [int(line.split()[0][2:]) for line in mw.wire_log(folder)]


def apply_and_wait(folder, sends):
    mw.click_child(mw.APPLY)
    h.wait_until(lambda: len(mw.wire_log(folder)) >= sends, 30, f"{sends} sends")
    mw.wait_progress_closed()


def test_apply_sends_the_same_bytes_through_both_libraries():
    seen = {}
    for flavour in ("demo", "hidtest"):
        h.fresh_user_files()
        expected = write_store()
        folder = h.ProgramFolder(f"hid-layer-apply-{flavour}", flavour)
        folder.set_option("TrayIcon", "3")
        app = mw.start(folder)
        try:
            apply_and_wait(folder, 4)
            seen[flavour] = wire(folder)
            assert [(c, o) for c, o, _ in seen[flavour]] == [(42, "ok"), (146, "ok"), (961, "ok"), (577, "ok")]
            assert [b for _, _, b in seen[flavour]] == expected, flavour
            assert mw.close(app) == 0
        finally:
            app.kill()
    assert seen["hidtest"] == seen["demo"]


def test_keyboard_pulled_out_mid_apply_fails_in_time_and_the_next_apply_works():
    for flavour in ("demo", "hidtest"):
        h.fresh_user_files()
        expected = write_store()
        folder = h.ProgramFolder(f"hid-layer-unplug-{flavour}", flavour)
        folder.set_option("TrayIcon", "3")
        app = mw.start(folder, {"LODREX_SIM_UNPLUG": "2"})
        try:
            mw.click_child(mw.APPLY)
            mw.wait_box(BOX_TITLE, timeout=20)
            assert h.probe("child", BOX_TITLE, str(BOX_TEXT))["text"] == FAILED
            times = wire_times(folder)
            # Lighting and colours taken, then three attempts at the macros 200 ms apart.
            assert [(c, o) for c, o, _ in wire(folder)] == [(42, "ok"), (146, "ok")] + [(961, "fail")] * 3
            assert 110 + 400 <= times[-1] - times[0] < 110 + 600 + 200, times
            h.screenshot(f"hid-layer-unplugged-{flavour}")
            mw.post(mw.WM_CLOSE, title=BOX_TITLE)
            mw.wait_progress_closed()

            # The system tells the window: gone, then back.
            assert h.probe("device", h.TITLE, str(REMOVAL), USB_NAME) == {}
            assert h.probe("device", h.TITLE, str(ARRIVAL), USB_NAME) == {}
            apply_and_wait(folder, 9)
            assert [b for _, o, b in wire(folder)[5:] if o == "ok"] == expected, flavour
            assert mw.close(app) == 0
        finally:
            app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_apply_sends_the_same_bytes_through_both_libraries,
                          test_keyboard_pulled_out_mid_apply_fails_in_time_and_the_next_apply_works]))
