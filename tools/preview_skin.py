#!/usr/bin/env python3
"""Composes a drawn skin folder into one picture for looking at: the main window with its buttons
(profile 1 selected, Apply under the mouse), the keyboard picture with a hovered key, the lighting
panel's controls, and below it the dialogs (macro editor, key function picker, message box,
progress at 60 %) with their controls, captions in the colours of cfg.ini.

  preview_skin.py SKINS_DIR OUT.png
"""
import base64
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from skin.pixels import png_size, read_png, write_png  # noqa: E402

TXT, BTN, BTN_OV, BTN_DN, ACCENT = "#dcdce0", "#c8c8cd", "#ffffff", "#00aaff", "#00aaff"


class Sheet:
    def __init__(self, skins):
        self.skins, self.parts = Path(skins), []

    def image(self, name, x, y, w=None, h=None):
        data = (self.skins / name).read_bytes()
        if w is None:
            w, h = png_size(data)
        self.parts.append('<image x="%d" y="%d" width="%d" height="%d" preserveAspectRatio="none" '
                          'href="data:image/png;base64,%s"/>' % (x, y, w, h, base64.b64encode(data).decode()))
        return w, h

    def shaped(self, name, mask_name, x, y):
        """Draws the window background as the screen shows it: the mask's white is cut away."""
        image = read_png((self.skins / name).read_bytes())
        mask = read_png((self.skins / mask_name).read_bytes())
        for i in range(0, len(image.rgba), 4):
            if mask.rgba[i : i + 3] == b"\xff\xff\xff":
                image.rgba[i + 3] = 0
        out = self.skins.parent / ("preview-" + name)
        write_png(out, image)
        data = out.read_bytes()
        out.unlink()
        self.parts.append('<image x="%d" y="%d" width="%d" height="%d" href="data:image/png;base64,%s"/>'
                          % ((x, y) + png_size(data) + (base64.b64encode(data).decode(),)))

    def text(self, x, y, s, colour=TXT, anchor="start", size=11, weight="normal"):
        s = s.replace("&", "&amp;").replace("<", "&lt;")
        self.parts.append('<text x="%g" y="%g" font-family="DejaVu Sans" font-size="%g" font-weight="%s" '
                          'fill="%s" text-anchor="%s">%s</text>' % (x, y, size, weight, colour, anchor, s))

    def button(self, name, x, y, caption="", colour=BTN, offset=0):
        w, h = self.image(name, x, y)
        if caption:
            if offset < 1:
                self.text(x + w / 2, y + h / 2 + 4, caption, colour, "middle")
            else:
                self.text(x + offset, y + h / 2 + 4, caption, colour)
        return w, h

    def rect(self, x, y, w, h, fill="none", stroke="none", opacity=1):
        self.parts.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s" stroke="%s" opacity="%g"/>'
                          % (x, y, w, h, fill, stroke, opacity))

    def render(self, w, h, out):
        source = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">'
                  '<rect width="%d" height="%d" fill="#5a6270"/>%s</svg>' % (w, h, w, h, "".join(self.parts)))
        subprocess.run(["rsvg-convert", "--format", "png", "-o", str(out)], input=source.encode(), check=True)


def main_window(s, ox, oy):
    s.shaped("main_nr.png", "main_mask.png", ox, oy)
    s.button("min_nr.png", ox + 912, oy + 29)
    s.button("exit_ov.png", ox + 933, oy + 29)
    for i, y in enumerate((49, 82, 115)):
        s.button("button_dn.png" if i == 0 else "button_nr.png", ox + 33, oy + y, "Profile %d" % (i + 1),
                 BTN_DN if i == 0 else (BTN_OV if i == 1 else BTN))
    s.button("button_nr.png", ox + 33, oy + 184, "Macros")
    s.button("button_nr.png", ox + 33, oy + 541, "Restore")
    for x, cap, name, colour in ((758, "OK", "btn_nr.png", BTN), (820, "Cancel", "btn_nr.png", BTN),
                                 (884, "Apply", "btn_ov.png", BTN_OV)):
        s.button(name, ox + x, oy + 581, cap, colour)
    s.text(ox + 55, oy + 614, "Version 1.0.0")
    kx, ky = ox + 280, oy + 180
    s.image("keyimg.png", kx, ky)
    s.rect(kx + 105 - 2 + 0.5, ky + 71 - 2 + 0.5, 34 - 1, 33 - 1, stroke=ACCENT)  # hover outline on E
    s.rect(kx + 75, ky + 71, 30, 29, fill="#ff8c00", opacity=0.47)  # a key with a function (W)
    s.text(kx + 4, ky + 185 + 5 + 15, "Click a key to give it a new function.")
    # The lighting panel at 19, 244.
    px, py = ox + 19, oy + 244
    s.button("check_dn.png", px + 5, py + 15)
    s.text(px + 29, py + 25, "Lighting on")
    s.button("combo_nr.png", px + 90, py + 15, "Breathe", BTN, 8)
    for label, y, value in (("Brightness", 79, "80 %"), ("Speed", 137, "3")):
        s.text(px + 15, py + y - 8, label)
        s.image("dpi_bar.png", px + 15, py + y)
        thumb = {"80 %": 129, "3": 90}[value]
        s.image("slider.png", px + 15 + thumb - 10, py + y)
        s.text(px + 205, py + y + 13, value, BTN)
    s.text(px + 15, py + 197, "Colour")
    colours = ["#ff0000", "#0000ff", "#00ff00", "#ffff00", "#ff00ff", "#00ffff", "#ffffff"]
    for i, c in enumerate(colours):
        x = px + 15 + i * 30
        s.rect(x, py + 205, 20, 20, fill="#121212")
        s.rect(x + 3, py + 208, 14, 14, fill=c)
        s.rect(x + 0.5, py + 205.5, 19, 19, stroke="#bd1315" if i == 2 else "#969696")
    s.button("check_nr.png", px + 15, py + 235)
    s.text(px + 39, py + 245, "Random colours")


def macro_editor(s, ox, oy):
    s.image("macro_nr.png", ox, oy)
    w, _ = png_size((s.skins / "macro_nr.png").read_bytes())
    s.button("exit_nr.png", ox + w - 36, oy + 10)
    for rc, title in (((30, 76, 180, 326), "Macros"), ((190, 76, 320, 326), "Events")):
        s.rect(ox + rc[0], oy + rc[1], rc[2] - rc[0], rc[3] - rc[1], fill="#18181c", stroke="#646464")
        s.text(ox + rc[0] + 2, oy + rc[1] - 6, title)
    s.image("open.png", ox + 34, oy + 78)
    s.text(ox + 56, oy + 91, "Games", BTN_OV, weight="bold")
    s.rect(ox + 31, oy + 97, 148, 20, fill="#303038")
    s.text(ox + 60, oy + 111, "Combo 1", "#ffffff", weight="bold")
    for i, (icon, label) in enumerate((("DN_N.png", "A"), ("TM_N.png", "120 ms"), ("UP_N.png", "A"))):
        s.image(icon, ox + 194, oy + 79 + i * 20)
        s.text(ox + 216, oy + 92 + i * 20, label, "#d2d2d7", weight="bold")
    x = ox + 350
    s.button("recbtn_nr.png", x, oy + 74, "Record", BTN, 30)
    s.button("check_dn.png", x, oy + 129)
    s.text(x + 24, oy + 142, "Record delays")
    s.button("radio_nr.png", x, oy + 156)
    s.text(x + 24, oy + 169, "Repeat while held")
    s.button("radio_dn.png", x, oy + 184)
    s.text(x + 24, oy + 197, "Repeat")
    s.rect(x + 24, oy + 205, 80, 22, fill="#141414", stroke="#646464")
    s.text(x + 64, oy + 221, "1", "#c8c8c8", "middle")
    s.text(x, oy + 263, "Insert")
    s.button("combo_ov.png", x, oy + 269, "Insert event", BTN_OV, 8)
    s.button("btn_ov.png", x + 80, oy + 309, "Save", BTN)
    s.text(ox + 30, oy + 350, "Right-click a list for more commands.")


def picker(s, ox, oy):
    s.image("pickfundlg.png", ox, oy)
    s.text(ox + 20, oy + 24, "Key function: W")
    s.text(ox + 30, oy + 65, "Colour")
    for i in range(8):
        x = ox + 100 + i * 42
        s.rect(x, oy + 50, 22, 22, fill="#121212", stroke="#969696")
    for i, (y, cap) in enumerate(((90, "Combination"), (154, "Macro"), (218, "Media"))):
        s.button("btn2_dn.png" if i == 0 else ("btn2_ov.png" if i == 1 else "btn2_nr.png"), ox + 27, oy + y,
                 cap, BTN_DN if i == 0 else (BTN_OV if i == 1 else BTN))
    s.text(ox + 250, oy + 134, "Press the keys of the combination")
    s.button("button_nr.png", ox + 245, oy + 144, "Ctrl + C", BTN)
    s.button("btn_nr.png", ox + 390, oy + 312, "OK")
    s.button("btn_nr.png", ox + 465, oy + 312, "Cancel")


def message_box(s, ox, oy):
    s.image("msg_nr.png", ox, oy)
    w, h = png_size((s.skins / "msg_nr.png").read_bytes())
    s.button("exit_nr.png", ox + w - 36, oy + 10)
    s.text(ox + 20, oy + 26, "Velkor", TXT, size=12, weight="bold")
    s.image("msgico.png", ox + 20, oy + 44)
    s.text(ox + 64, oy + 64, "Restore the default settings of this profile?")
    s.button("btn_ov.png", ox + w - 164, oy + h - 45, "OK", BTN_OV)
    s.button("btn_nr.png", ox + w - 87, oy + h - 45, "Cancel")


def progress(s, ox, oy):
    w, h = s.image("progress_nr.png", ox, oy)
    left, right = 45, 486
    width = 60 * (right - left) // 100 + left
    s.parts.append('<svg x="%d" y="%d" width="%d" height="%d">' % (ox, oy, width, h))
    s.image("progress_ov.png", 0, 0)
    s.parts.append("</svg>")
    s.button("exit_nr.png", ox + w - 36, oy + 10)
    s.text(ox + 15, oy + 26, "Writing the settings to the keyboard...", "#ffffff")


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    s = Sheet(argv[1])
    main_window(s, 20, 20)
    macro_editor(s, 20, 680)
    picker(s, 700, 680)
    message_box(s, 20, 1080)
    progress(s, 500, 1080)
    s.render(1280, 1290, argv[2])
    print(argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
