"""The lighting panel in the running program, against the simulated keyboard: with ApplyNow on,
setting a slider or choosing a mode sends the lighting report (and the log shows the request)
within a second, and dragging alone sends nothing; with ApplyNow off nothing goes out until
Apply."""
import re
import sys
import time
from contextlib import contextmanager

import harness as h
import main_window as mw

PANEL_LEFT, PANEL_TOP = 19, 244
# Thumb centres of the brightness slider for the values 1..5, in panel pixels.
BRIGHTNESS_X = [15 + p for p in (12, 51, 90, 129, 168)]
BRIGHTNESS_Y = 79 + 9
# The mode drop-down (137 x 24 at panel (15, 29), below the check box's row) opens its menu below
# itself, 20 pixels a row.
MODE_LEFT, MODE_TOP = 15, 29
MODE_COMBO = (MODE_LEFT + 68, MODE_TOP + 12)
MODE_MENU_TOP = MODE_TOP + 24
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


@contextmanager
def running(name, apply_now):
    """Velkor with its own program folder and ApplyNow as given; yields the folder and the main
    window's place. The default profile's mode 2 shows brightness 4."""
    h.fresh_user_files()
    folder = h.ProgramFolder(name)
    folder.set_option("ApplyNow", str(apply_now))
    folder.set_option("Debug", "2")
    app = mw.start(folder)
    try:
        yield folder, h.window_state()
    finally:
        mw.close(app)
        app.kill()


def drag_brightness(state, value_from, value_to, release=True):
    """Presses the brightness thumb, moves it in small steps and (optionally) lets go."""
    y = state["y"] + PANEL_TOP + BRIGHTNESS_Y
    x0 = state["x"] + PANEL_LEFT + BRIGHTNESS_X[value_from - 1]
    x1 = state["x"] + PANEL_LEFT + BRIGHTNESS_X[value_to - 1]
    h.xdotool("mousemove", str(x0), str(y), "mousedown", "1")
    step = 6 if x1 > x0 else -6
    for x in range(x0, x1, step):
        h.xdotool("mousemove", str(x), str(y))
    h.xdotool("mousemove", str(x1), str(y))
    if release:
        h.xdotool("mouseup", "1")


def lighting_reports(folder):
    return [r for r, ok in wire_reports(folder) if r and r[0] == 10]


def send_and_time(action, folder):
    """Runs an xdotool action and polls closely for the first lighting report; returns the reports
    and the time to the report in ms, counted from after the action returned (a lower bound) and
    from before it started (an upper bound that includes starting xdotool)."""
    before = time.monotonic()
    action()
    after = time.monotonic()
    while not lighting_reports(folder) and time.monotonic() - before < 1.0:
        time.sleep(0.002)
    now = time.monotonic()
    reports = lighting_reports(folder)
    assert reports, "no lighting report within a second"
    return reports, (now - after) * 1000, (now - before) * 1000


def logged_request(flags):
    pattern = re.compile(r"Start Apply: hDevice=0x[0-9a-f]+, nFlag=0x%x" % flags)
    h.wait_until(lambda: any(pattern.fullmatch(e) for e in h.log_entries() or []), 5,
                 f"the log line of request {flags}")


def test_a_set_slider_is_sent_at_once_and_a_drag_sends_nothing():
    with running("led-apply-now", 1) as (folder, state):
        drag_brightness(state, 4, 2, release=False)
        time.sleep(1.0)  # a drag in progress: nothing may go out meanwhile
        assert wire_reports(folder) == [], "a drag sent a report before the release"
        h.screenshot("lighting-slider-drag")
        reports, low, high = send_and_time(lambda: h.xdotool("mouseup", "1"), folder)
        print(f"\nslider release to lighting report on the wire: {low:.0f} to {high:.0f} ms", file=sys.stderr)
        assert len(reports) == 1, reports
        assert reports[0][1] == 2 and reports[0][4] == 2, reports[0].hex()  # mode 2, brightness 2
        logged_request(0x2)


def test_a_chosen_mode_is_sent_at_once():
    with running("led-mode-now", 1) as (folder, state):
        h.click(state["x"] + PANEL_LEFT + MODE_COMBO[0], state["y"] + PANEL_TOP + MODE_COMBO[1])
        row = (state["x"] + PANEL_LEFT + MODE_LEFT + 40, state["y"] + PANEL_TOP + MODE_MENU_TOP + 5 * 20 + 10)
        h.wait_until(lambda: h.probe("at", h.TITLE, str(row[0]), str(row[1])).get("inside") == 0, 10,
                     "the mode menu to open over the panel")
        h.screenshot("lighting-mode-menu")
        # The sixth row: mode 5, with speed, brightness and direction.
        reports, low, high = send_and_time(lambda: h.click(*row), folder)
        print(f"\nmode pick to lighting report on the wire: {low:.0f} to {high:.0f} ms", file=sys.stderr)
        assert reports[0][1] == 5, reports[0].hex()
        logged_request(0x6)
        h.screenshot("lighting-mode-5")


def test_without_apply_now_nothing_goes_out_until_apply():
    with running("led-apply-later", 0) as (folder, state):
        drag_brightness(state, 4, 5)
        time.sleep(1.5)  # long enough for a request to have reached the wire
        assert wire_reports(folder) == []
        mw.click_child(mw.APPLY)
        reports = h.wait_until(lambda: lighting_reports(folder), 30, "the lighting report after Apply")
        assert reports[0][4] == 5, reports[0].hex()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_a_set_slider_is_sent_at_once_and_a_drag_sends_nothing,
                          test_a_chosen_mode_is_sent_at_once,
                          test_without_apply_now_nothing_goes_out_until_apply]))
