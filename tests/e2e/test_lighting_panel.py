"""The lighting panel in the running program, against the simulated keyboard: with ApplyNow on,
setting a slider sends the lighting report (and the log shows the request) within a second of the
mouse release, and dragging alone sends nothing; with ApplyNow off nothing goes out until Apply."""
import re
import sys
import time

import harness as h
import main_window as mw

PANEL_LEFT, PANEL_TOP = 19, 244
# Thumb centres of the brightness slider for the values 1..5, in panel pixels.
BRIGHTNESS_X = [15 + p for p in (12, 51, 90, 129, 168)]
BRIGHTNESS_Y = 79 + 9
WIRE = re.compile(r"t=(\d+) col=(\d+) len=(\d+) (ok|fail) ([0-9a-f]*)")


def wire_reports(folder):
    """(report bytes, ok) of every line of the simulated keyboard's wire log."""
    path = folder.file("lodrex-sim.log")
    if not path.exists():
        return []
    out = []
    for line in path.read_text().splitlines():
        m = WIRE.fullmatch(line.strip())
        assert m, line
        out.append((bytes.fromhex(m.group(5)), m.group(4) == "ok"))
    return out


def start(name, apply_now):
    h.fresh_user_files()
    folder = h.ProgramFolder(name)
    folder.set_option("ApplyNow", str(apply_now))
    folder.set_option("Debug", "2")
    app = mw.start(folder)
    # The default profile's mode 2 shows brightness 4.
    return folder, app, h.window_state()


def drag_brightness(state, value_from, value_to, release=True):
    """Presses the brightness thumb, moves it in small steps and (optionally) lets go; returns the
    monotonic time of the release."""
    y = state["y"] + PANEL_TOP + BRIGHTNESS_Y
    x0 = state["x"] + PANEL_LEFT + BRIGHTNESS_X[value_from - 1]
    x1 = state["x"] + PANEL_LEFT + BRIGHTNESS_X[value_to - 1]
    h.xdotool("mousemove", str(x0), str(y), "mousedown", "1")
    step = 6 if x1 > x0 else -6
    for x in range(x0, x1, step):
        h.xdotool("mousemove", str(x), str(y))
    h.xdotool("mousemove", str(x1), str(y))
    if not release:
        return None
    h.xdotool("mouseup", "1")
    return time.monotonic()


def lighting_reports(folder):
    return [r for r, ok in wire_reports(folder) if r and r[0] == 10]


def test_a_set_slider_is_sent_at_once_and_a_drag_sends_nothing():
    folder, app, state = start("led-apply-now", 1)
    try:
        drag_brightness(state, 4, 2, release=False)
        time.sleep(1.0)  # a drag in progress: nothing may go out meanwhile
        assert wire_reports(folder) == [], "a drag sent a report before the release"
        h.screenshot("lighting-slider-drag")
        h.xdotool("mouseup", "1")
        released = time.monotonic()
        while not lighting_reports(folder) and time.monotonic() - released < 1.0:
            time.sleep(0.005)
        elapsed = (time.monotonic() - released) * 1000
        reports = lighting_reports(folder)
        assert reports, "no lighting report within a second of the release"
        print(f"\nslider release to lighting report on the wire: {elapsed:.0f} ms", file=sys.stderr)
        assert len(reports) == 1, reports
        assert reports[0][1] == 2 and reports[0][4] == 2, reports[0].hex()  # mode 2, brightness 2
        h.wait_until(lambda: any(re.fullmatch(r"Start Apply: hDevice=0x[0-9a-f]+, nFlag=0x2", e)
                                 for e in h.log_entries() or []), 5, "the request's log line")
    finally:
        mw.close(app)
        app.kill()


def test_without_apply_now_nothing_goes_out_until_apply():
    folder, app, state = start("led-apply-later", 0)
    try:
        drag_brightness(state, 4, 5)
        time.sleep(1.5)  # long enough for a request to have reached the wire
        assert wire_reports(folder) == []
        mw.click_child(mw.APPLY)
        reports = h.wait_until(lambda: lighting_reports(folder), 30, "the lighting report after Apply")
        assert reports[0][4] == 5, reports[0].hex()
    finally:
        mw.close(app)
        app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_a_set_slider_is_sent_at_once_and_a_drag_sends_nothing,
                          test_without_apply_now_nothing_goes_out_until_apply]))
