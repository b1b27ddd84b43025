#!/usr/bin/env python3
"""The reference keyboard's layout: a full-size 104-key ANSI board with an L-shaped Enter.

  make_layout.py            prints the [KEY] section (and the UnRectKey line for [OPT])
  make_layout.py --markdown prints the key table for the README (key, matrix position, rectangle)
  make_layout.py --cfg FILE writes the whole cfg.ini (settings below, then the layout)

Geometry: the picture is 674 x 185 pixels (the default rcKB 280,180,954,365). Widths are in
key units of 674 / 22.5 pixels: a 15-unit main block, a 0.25 gap, the 3-unit navigation block,
a 0.25 gap and the 4-unit keypad. Rows are 185 / 6.5 pixels high: the Esc/F row, half a row of
gap, then five rows. Edges are rounded once, so neighbouring keys share their edge and no pixel
belongs to two keys (a key holds left <= x < right, top <= y < bottom).

Matrix position = column * 6 + row, rows 0 (Esc and F keys) to 5 (bottom row), columns 0 to 23.

The main Enter is L-shaped (wide in the Q row, narrower in the A row); the backslash key sits
left of its lower leg, in the notch of Enter's bounding rectangle. There it stands where ISO boards
have their extra key (matrix 81), but it keeps the ANSI backslash's position 86 (column 14, row 2):
an apply gives 81 and 86 the same function, and 81 stays free.
"""
import sys

WIDTH, HEIGHT = 674, 185
UNITS_X, UNITS_Y = 22.5, 6.5
SX, SY = WIDTH / UNITS_X, HEIGHT / UNITS_Y

# Row tops in row units: the F row, then a half-row gap.
ROW_TOP = [0.0, 1.5, 2.5, 3.5, 4.5, 5.5]

# Right-hand modifiers as the program tells them apart.
VK_LSHIFT, VK_RSHIFT, VK_LCTRL, VK_RCTRL, VK_LALT, VK_RALT = 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5


def px_x(u):
    return int(round(u * SX))


def px_y(u):
    return int(round(u * SY))


class Key:
    def __init__(self, name, vk, col, row, x, w, y=None, h=1.0):
        self.name, self.vk, self.col, self.row = name, vk, col, row
        top = ROW_TOP[row] if y is None else y
        self.rect = (px_x(x), px_y(top), px_x(x + w), px_y(top + h))

    @property
    def matrix(self):
        return self.col * 6 + self.row


def build():
    keys = []

    def add(name, vk, col, row, x, w=1.0, y=None, h=1.0):
        keys.append(Key(name, vk, col, row, x, w, y, h))

    # Row 0: Esc, F1-F12 in three groups, PrtSc / ScrLk / Pause.
    add("Esc", 0x1B, 1, 0, 0)
    for i in range(12):
        x = 2 + i + 0.5 * (i // 4)
        add("F%d" % (i + 1), 0x70 + i, 2 + i, 0, x)
    for i, (name, vk) in enumerate([("PrtSc", 0x2C), ("ScrLk", 0x91), ("Pause", 0x13)]):
        add(name, vk, 16 + i, 0, 15.25 + i)

    # Row 1: ` 1..0 - = Backspace | Ins Home PgUp | NumLock / * -
    add("`", 0xC0, 1, 1, 0)
    for i, ch in enumerate("1234567890"):
        add(ch, ord(ch), 2 + i, 1, 1 + i)
    add("-", 0xBD, 12, 1, 11)
    add("=", 0xBB, 13, 1, 12)
    add("Backspace", 0x08, 14, 1, 13, 2)
    for i, (name, vk) in enumerate([("Insert", 0x2D), ("Home", 0x24), ("PgUp", 0x21)]):
        add(name, vk, 16 + i, 1, 15.25 + i)
    for i, (name, vk) in enumerate([("NumLock", 0x90), ("Num /", 0x6F), ("Num *", 0x6A), ("Num -", 0x6D)]):
        add(name, vk, 19 + i, 1, 18.5 + i)

    # Row 2: Tab Q..] Enter (upper part) | Del End PgDn | 7 8 9 +
    add("Tab", 0x09, 1, 2, 0, 1.5)
    for i, ch in enumerate("QWERTYUIOP"):
        add(ch, ord(ch), 2 + i, 2, 1.5 + i)
    add("[", 0xDB, 12, 2, 11.5)
    add("]", 0xDD, 13, 2, 12.5)
    # Enter's rectangle is the bounding box of the L; the polygon below is what is drawn and hit.
    add("Enter", 0x0D, 14, 3, 13.5, 1.5, y=ROW_TOP[2], h=2.0)
    for i, (name, vk) in enumerate([("Delete", 0x2E), ("End", 0x23), ("PgDn", 0x22)]):
        add(name, vk, 16 + i, 2, 15.25 + i)
    for i in range(3):
        add("Num %d" % (7 + i), 0x67 + i, 19 + i, 2, 18.5 + i)
    add("Num +", 0x6B, 22, 2, 21.5, y=ROW_TOP[2], h=2.0)

    # Row 3: Caps A..' \ | 4 5 6
    add("Caps Lock", 0x14, 1, 3, 0, 1.75)
    for i, ch in enumerate("ASDFGHJKL"):
        add(ch, ord(ch), 2 + i, 3, 1.75 + i)
    add(";", 0xBA, 11, 3, 10.75)
    add("'", 0xDE, 12, 3, 11.75)
    add("\\", 0xDC, 14, 2, 12.75, y=ROW_TOP[3])  # matrix row 2, drawn in the A row
    for i in range(3):
        add("Num %d" % (4 + i), 0x64 + i, 19 + i, 3, 18.5 + i)

    # Row 4: LShift Z../ RShift | Up | 1 2 3 Enter
    add("Left Shift", VK_LSHIFT, 1, 4, 0, 2.25)
    for i, (name, vk) in enumerate(
        [("Z", 0x5A), ("X", 0x58), ("C", 0x43), ("V", 0x56), ("B", 0x42), ("N", 0x4E), ("M", 0x4D),
         (",", 0xBC), (".", 0xBE), ("/", 0xBF)]
    ):
        add(name, vk, 2 + i, 4, 2.25 + i)
    add("Right Shift", VK_RSHIFT, 14, 4, 12.25, 2.75)
    add("Up", 0x26, 17, 4, 16.25)
    for i in range(3):
        add("Num %d" % (1 + i), 0x61 + i, 19 + i, 4, 18.5 + i)
    add("Num Enter", 0x0D, 22, 4, 21.5, y=ROW_TOP[4], h=2.0)

    # Row 5: LCtrl LWin LAlt Space RAlt RWin Menu RCtrl | Left Down Right | 0 .
    bottom = [
        ("Left Ctrl", VK_LCTRL, 1, 1.25), ("Left Win", 0x5B, 2, 1.25), ("Left Alt", VK_LALT, 3, 1.25),
        ("Space", 0x20, 6, 6.25), ("Right Alt", VK_RALT, 10, 1.25), ("Right Win", 0x5C, 11, 1.25),
        ("Menu", 0x5D, 12, 1.25), ("Right Ctrl", VK_RCTRL, 14, 1.25),
    ]
    x = 0.0
    for name, vk, col, w in bottom:
        add(name, vk, col, 5, x, w)
        x += w
    for i, (name, vk, col) in enumerate([("Left", 0x25, 16), ("Down", 0x28, 17), ("Right", 0x27, 18)]):
        add(name, vk, col, 5, 15.25 + i)
    add("Num 0", 0x60, 19, 5, 18.5, 2)
    add("Num .", 0x6E, 21, 5, 20.5)
    return keys


def enter_parts():
    """The L as two rectangles: the Q-row bar and the A-row leg below its right end."""
    l, notch, r = px_x(13.5), px_x(13.75), px_x(15)
    t, mid, b = px_y(ROW_TOP[2]), px_y(ROW_TOP[3]), px_y(ROW_TOP[3] + 1)
    return [(l, t, r, mid), (notch, mid, r, b)]


def enter_polygon():
    """The L's outline, closed: wide in the Q row (13.5..15), narrower in the A row (13.75..15)."""
    (l, t, r, mid), (notch, _, _, b) = enter_parts()
    return [(l, t), (r, t), (r, b), (notch, b), (notch, mid), (l, mid), (l, t)]


def hit_areas(key):
    """The rectangles a click can land in: the polygon's parts for Enter, else the key's rectangle."""
    return enter_parts() if key.name == "Enter" else [key.rect]


def check(keys):
    assert len(keys) == 104, len(keys)
    positions = [k.matrix for k in keys]
    assert len(set(positions)) == len(positions), "matrix positions repeat"
    for k in keys:
        assert 0 <= k.col <= 23 and 0 <= k.row <= 5 and k.matrix < 144, k.name
        left, top, right, bottom = k.rect
        assert 0 <= left < right <= WIDTH and 0 <= top < bottom <= HEIGHT, k.name
    fixed = {"W": 20, "A": 15, "S": 21, "D": 27, "Enter": 87, "\\": 86, "Left": 101, "Up": 106,
             "Down": 107, "Right": 113, "Num Enter": 136}
    by_name = {k.name: k for k in keys}
    for name, pos in fixed.items():
        assert by_name[name].matrix == pos, name
    # Kept for ISO boards: the key beside Enter (an apply mirrors 86 into it) and the key beside
    # left Shift.
    assert 81 not in positions and 4 not in positions

    # The polygon is closed, turns at right angles and is boxed by Enter's rectangle.
    poly = enter_polygon()
    assert poly[0] == poly[-1] and len(set(poly)) == 6, poly
    for (x0, y0), (x1, y1) in zip(poly, poly[1:]):
        assert (x0 == x1) != (y0 == y1), poly
    xs, ys = [x for x, _ in poly], [y for _, y in poly]
    assert (min(xs), min(ys), max(xs), max(ys)) == by_name["Enter"].rect

    # No pixel belongs to two keys, and the blocks from the number row down have no holes.
    owner = [[None] * WIDTH for _ in range(HEIGHT)]
    for k in keys:
        for left, top, right, bottom in hit_areas(k):
            for y in range(top, bottom):
                row = owner[y]
                taken = [row[x] for x in range(left, right) if row[x] is not None]
                assert not taken, (k.name, taken[0])
                row[left:right] = [k.name] * (right - left)
    number_row, nav, keypad = px_y(ROW_TOP[1]), (px_x(15.25), px_x(18.25)), (px_x(18.5), WIDTH)
    for y in range(number_row, HEIGHT):
        for x0, x1 in [(0, px_x(15)), keypad]:
            assert None not in owner[y][x0:x1], ("hole", x0, y)
    assert None not in [owner[y][x] for y in range(number_row, px_y(ROW_TOP[3])) for x in range(*nav)]


def unrect_line(keys):
    enter = next(k for k in keys if k.name == "Enter")
    numbers = [enter.matrix] + [v for point in enter_polygon() for v in point]
    return "UnRectKey=" + ",".join(str(n) for n in numbers)


def key_section(keys):
    lines = ["[KEY]"]
    for i, k in enumerate(keys, 1):
        left, top, right, bottom = k.rect
        lines.append("K%d=%d,%d,%d,%d,2,%02X,00,%d" % (i, left, top, right, bottom, k.vk, k.matrix))
    return lines


def markdown(keys):
    lines = [
        "| Slot | Key | Matrix | Left | Top | Right | Bottom |",
        "|---:|---|---:|---:|---:|---:|---:|",
    ]
    for i, k in enumerate(keys):
        name = {"`": "`` ` ``", "\\": "`\\`"}.get(k.name, k.name)
        lines.append("| %d | %s | %d | %d | %d | %d | %d |" % ((i, name, k.matrix) + k.rect))
    pts = " ".join("(%d,%d)" % p for p in enter_polygon())
    lines.append("")
    lines.append("Enter is drawn and hit-tested as the polygon %s; its rectangle above is the "
                 "polygon's bounding box, and the backslash key fills the notch." % pts)
    return lines


SETTINGS = """\
[OPT]
Debug=0
Suwnd=1
MatchStr=0
Macro_Opt_X=350
BtnTips=1
MinDelay=10
MacroDir=1
MacroHasMsKey=0x7F
ListTrans=0
rcMacroList=30,76,180,326
rcKeyList=190,76,320,326
rcKB=280,180,954,365
ApplyNow=0
VID=0x1209
PID=0x0001
USBString=
appdir=Velkor
Pop=0
TrayIcon=3
GoWithNoDev=0
Gest=0
LEDParam=2,4,0,4,0,0
{unrect}
PSD=0,0,0,0,0,0
; Colours are red,green,blue, chosen for the dark skin.
Txt_clr=220,220,224
Btn_txt_clr_nr=200,200,205
Btn_txt_clr_ov=255,255,255
Btn_txt_clr_dn=0,170,255
Menu_txt_clr_nr=200,200,205
Menu_txt_clr_ov=255,255,255
Menu_txt_clr_dn=0,170,255
LstBox_txt_clr_nr=210,210,215
LstBox_txt_clr_dn=255,255,255
LstBox_bkg_clr=24,24,28
LstBox_item_clr=48,48,56
ClrKeyOv=0,170,255
ClrKeyDn=255,255,255
ClrKeyHasFunc=255,140,0
"""


def main(argv):
    keys = build()
    check(keys)
    if len(argv) >= 2 and argv[1] == "--markdown":
        print("\n".join(markdown(keys)))
    elif len(argv) >= 3 and argv[1] == "--cfg":
        text = SETTINGS.format(unrect=unrect_line(keys)) + "\n" + "\n".join(key_section(keys)) + "\n"
        with open(argv[2], "w", newline="\r\n") as f:
            f.write(text)
    else:
        print(unrect_line(keys))
        print("\n".join(key_section(keys)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
