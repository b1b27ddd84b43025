"""Every file of the skin folder: its name, size, what it is for and how it is drawn. The README's
skin table and the skin test follow these sizes; the windows rely on them."""
from . import backgrounds as bg
from . import controls as c
from .keyboard import HEIGHT as KEYS_H, WIDTH as KEYS_W, keyboard_picture

MACRO_SIZE = (660, 380)
PICKER_SIZE = (550, 360)
MESSAGE_SIZE = (460, 190)


class Entry:
    """draw(settings) returns the image's SVG; settings are cfg.ini's (skin.settings.Settings)."""

    def __init__(self, name, size, role, draw):
        self.name, self.size, self.role, self.draw = name, size, role, draw


def _states(stem, size, role, draw, states):
    return [Entry("%s_%s.png" % (stem, s), size, "%s, %s" % (role, label), (lambda _cfg, s=s: draw(s)))
            for s, label in states]


NR, OV, DN = ("nr", "normal"), ("ov", "hover"), ("dn", "pressed or checked")


def entries():
    out = [
        Entry("main_nr.png", bg.MAIN_SIZE, "main window background; its size is the window's", lambda cfg: bg.main_window(cfg.keyboard)),
        Entry("main_mask.png", bg.MAIN_SIZE, "main window shape: pure white is cut away", None),
        Entry("keyimg.png", (KEYS_W, KEYS_H), "keyboard picture drawn over rcKB, from cfg.ini's layout",
              lambda cfg: keyboard_picture(cfg.sections)),
    ]
    out += _states("min", (16, 15), "minimise caption button", lambda s: c.caption_button("min", s), [NR, OV])
    out += _states("exit", (16, 15), "close button of every window", lambda s: c.caption_button("exit", s),
                   [NR, OV])
    out += _states("button", (223, 25), "profile, macros and restore buttons; picker's combination display",
                   lambda s: c.push_button(223, 25, s), [NR, ("dn", "selected profile")])
    out += _states("btn", (57, 30), "OK, Cancel, Apply and the dialogs' small buttons",
                   lambda s: c.push_button(57, 30, s), [NR, OV])
    out += _states("btn2", (150, 40), "key function picker's page tabs", lambda s: c.tab_button(150, 40, s),
                   [NR, OV, ("dn", "selected page")])
    out += _states("combo", (137, 24), "drop-down button (lighting modes, game group, media, macro insert)",
                   lambda s: c.combo_button(137, 24, s), [NR, OV])
    out += _states("check", (16, 16), "check box", lambda s: c.check_box(s), [NR, OV, DN])
    out += _states("radio", (16, 16), "radio button", lambda s: c.radio_button(s), [NR, OV, DN])
    out += _states("recbtn", (150, 34), "macro record button (caption from x 30)",
                   lambda s: c.record_button(150, 34, s), [NR, ("dn", "recording")])
    out += _states("lbtn", (54, 22), "lighting direction left", lambda s: c.arrow_button(54, 22, "left", s),
                   [NR, ("ov", "selected")])
    out += _states("rbtn", (54, 22), "lighting direction right", lambda s: c.arrow_button(54, 22, "right", s),
                   [NR, ("ov", "selected")])
    out += [
        Entry("slider.png", (20, 18), "slider thumb, centred on a scale position", lambda _cfg: c.slider_thumb(20, 18)),
        Entry("dpi_bar.png", (180, 18), "slider track; notches at 12, 51, 90, 129, 168",
              lambda _cfg: c.slider_track(180, 18)),
        Entry("macro_nr.png", MACRO_SIZE, "macro editor background",
              lambda cfg: bg.macro_editor(*MACRO_SIZE, cfg.macro_list, cfg.key_list, cfg.option_x)),
        Entry("UP_N.png", (18, 18), "macro event: key release", lambda _cfg: c.event_icon("UP")),
        Entry("DN_N.png", (18, 18), "macro event: key press", lambda _cfg: c.event_icon("DN")),
        Entry("TM_N.png", (18, 18), "macro event: delay", lambda _cfg: c.event_icon("TM")),
        Entry("open.png", (16, 16), "tree folder, expanded", lambda _cfg: c.folder_icon(True)),
        Entry("close.png", (16, 16), "tree folder, collapsed", lambda _cfg: c.folder_icon(False)),
        Entry("pickfundlg.png", PICKER_SIZE, "key function picker background (close and restore marks drawn in)",
              lambda _cfg: bg.picker(*PICKER_SIZE)),
        Entry("msg_nr.png", MESSAGE_SIZE, "message box background", lambda _cfg: bg.message_box(*MESSAGE_SIZE)),
        Entry("msgico.png", (32, 32), "message box icon", lambda _cfg: c.message_icon()),
        Entry("progress_nr.png", bg.PROGRESS_SIZE, "progress dialog, empty bar (45..486 x 101..123)",
              lambda _cfg: bg.progress(False)),
        Entry("progress_ov.png", bg.PROGRESS_SIZE, "progress dialog, full bar; its left part shows progress",
              lambda _cfg: bg.progress(True)),
    ]
    for stem, sub in (("menu", False), ("menusub", True)):
        for state, label in (NR, ("ov", "highlighted")):
            out.append(Entry("%s_%s.bmp" % (stem, state), (150, 20),
                             "%s item strip, %s" % ("sub-menu" if sub else "pop-up menu", label),
                             (lambda _cfg, sub=sub, state=state: c.menu_strip(150, 20, sub, state))))
    return out
