"""The window backgrounds: the shaped main window and the rectangular dialogs. Every place a
window puts a control or a text is framed here; the coordinates below are the program's own
(main window buttons, keyboard rectangle, lighting panel, dialog layouts)."""
from .svg import (ACCENT, ACCENT_DEEP, DIM, FONT, INK, LINE, LINE_LIGHT, PANEL, RIM, TEXT, WELL,
                  chamfer, document, glow, gradient, hatch, hline, line_box, path, rect, text, vline)

MAIN_SIZE = (984, 640)
# The window's outline; everything outside it is cut away.
MAIN_OUTLINE = chamfer(4, 6, 976, 630, tl=24, tr=12, br=24, bl=12)
LIGHTING = (19, 244, 261, 496)  # the lighting panel: left 19, top 244, 242 x 252
SIDE_BUTTONS = [(33, 49, 256, 74), (33, 82, 256, 107), (33, 115, 256, 140), (33, 184, 256, 209),
                (33, 541, 256, 566)]
ACTION_BUTTONS = [(758, 581, 815, 611), (820, 581, 877, 611), (884, 581, 941, 611)]
CAPTION_BUTTONS = [(912, 29, 928, 44), (933, 29, 949, 44)]
VERSION_TEXT = (55, 600, 255, 620)


def wordmark(x, y, size, anchor="start"):
    """The product name as the skin draws it: bold, slanted, the accent on its leading slash."""
    slash = path("M%g,%g L%g,%g L%g,%g L%g,%g Z" % (x, y, x + size * 0.32, y - size * 0.78,
                                                    x + size * 0.52, y - size * 0.78, x + size * 0.2, y),
                 fill=ACCENT)
    word = text(x + size * 0.62, y, "VELKOR", size, fill=TEXT, anchor=anchor, family=FONT,
                extra='letter-spacing="%g" font-style="oblique"' % (size * 0.12))
    return slash + word


def _well(l, t, r, b, pad=2):
    """The recess a button sits in: darker than its surroundings, with a faint lower rim."""
    x, y, w, h = l - pad, t - pad, r - l + 2 * pad, b - t + 2 * pad
    return (path(chamfer(x, y, w, h, tl=7, br=7), fill=WELL)
            + path(line_box(x, y, w, h, tl=7, br=7), stroke="#1d2027"))


def _separator(x0, x1, y):
    return hline(x0, x1, y, LINE) + rect(x0, y, 90, 1, "url(#fade)", opacity=0.7)


def _bracket(x, y, dx, dy, length=14):
    """An accent corner mark; (dx, dy) point along its two arms."""
    return (rect(min(x, x + dx * length), y if dy > 0 else y - 1, length, 2, ACCENT)
            + rect(x if dx > 0 else x - 1, min(y, y + dy * length), 2, length, ACCENT))


def main_window(keyboard):
    """keyboard: rcKB; the case, its status line, the underglow and the wrist rest follow it."""
    w, h = MAIN_SIZE
    defs = gradient("body", "#12151a", "#0a0b0e") + gradient("side", "#171a20", "#101216")
    defs += glow("halo", ACCENT, 0.16) + hatch("hatch", "#ffffff", 5, 0.035)
    defs += gradient("deck", "#0a0b0e", "#07080a") + gradient("fade", ACCENT, ACCENT, False, (0.9, 0.0))
    defs += gradient("case", "#1a1d24", "#0e1014") + gradient("streak", ACCENT, ACCENT, False, (0.0, 1.0))
    defs += '<filter id="blur" x="-20%" y="-200%" width="140%" height="500%"><feGaussianBlur stdDeviation="6"/></filter>'
    defs += '<clipPath id="shape"><path d="%s"/></clipPath>' % MAIN_OUTLINE
    body = path(MAIN_OUTLINE, fill="url(#body)")
    g = ""
    # Sidebar: profiles, macros, lighting, restore, version.
    g += rect(4, 45, 267, 592, "url(#side)")
    g += vline(270, 45, 636, LINE)
    g += vline(271, 45, 636, "#000000", opacity=0.5)
    # Header band with the name, and its accent underline.
    g += rect(0, 0, w, 45, "#0e1014")
    g += hline(0, w, 44, LINE_LIGHT)
    g += rect(24, 43, 200, 2, "url(#fade)")
    g += wordmark(34, 36, 19)
    # The outline's own rim, and an accent run along the top-left cut.
    g += path(MAIN_OUTLINE, stroke=RIM, width=2)
    g += path("M4,36 L4,30 L28,6 L150,6", stroke=ACCENT, width=3)
    g += path("M980,606 L980,612 L956,636 L850,636", stroke=ACCENT, width=3, opacity=0.8)
    for l, t, r, b in SIDE_BUTTONS + ACTION_BUTTONS:
        g += _well(l, t, r, b)
    for y in (162, 226, 520, 586):
        g += _separator(19, 261, y)
    # The lighting panel's tray.
    l, t, r, b = LIGHTING
    g += rect(l, t, r - l, b - t, PANEL)
    g += rect(l, t, r - l, b - t, "url(#hatch)")
    g += path(line_box(l - 1, t - 1, r - l + 2, b - t + 2), stroke=LINE_LIGHT)
    g += _bracket(l - 1, t - 1, 1, 1) + _bracket(r, b, -1, -1)
    # Version footer: a small chip mark left of the text.
    vx, vy = 36, 604
    g += path(line_box(vx, vy, 12, 12, tl=3, br=3), stroke=DIM)
    g += rect(vx + 4, vy + 4, 4, 4, ACCENT)
    # The keyboard itself: a case around the keys, its front lip with the underglow, and a wrist
    # rest below, lit from under; the status line (tc_msg23) runs along the case's lower bezel.
    kl, kt, kr, kb = keyboard
    cx = (kl + kr) / 2
    g += '<ellipse cx="%g" cy="%g" rx="470" ry="200" fill="url(#halo)"/>' % (cx, (kt + kb) / 2 + 40)
    g += '<ellipse cx="%g" cy="%g" rx="330" ry="9" fill="%s" opacity="0.55" filter="url(#blur)"/>' % (cx, kb + 51, ACCENT)
    g += '<ellipse cx="%g" cy="%g" rx="270" ry="7" fill="%s" opacity="0.35" filter="url(#blur)"/>' % (cx, kb + 113, ACCENT)
    case = (kl - 14, kt - 22, kr - kl + 28, kb + 37 - (kt - 22))
    foot = case[1] + case[3]
    g += path(chamfer(*case, tl=14, tr=6, br=14, bl=6), fill="url(#case)")
    g += path(line_box(*case, tl=14, tr=6, br=14, bl=6), stroke=RIM)
    g += hline(case[0] + 15, case[0] + case[2] - 7, case[1] + 1, "#ffffff", opacity=0.12)
    well = (kl - 6, kt - 8, kr - kl + 12, kb - kt + 14)
    g += path(chamfer(*well, tl=8, br=8), fill="url(#deck)")
    g += path(line_box(*well, tl=8, br=8), stroke="#000000")
    g += hline(well[0] + 8, well[0] + well[2] - 1, well[1] + well[3], "#ffffff", opacity=0.06)
    g += path("M%g,%g L%g,%g L%g,%g Z" % (kl - 6, kb + 11, kl - 1, kb + 15, kl - 6, kb + 19), fill=ACCENT)
    g += path("M%g,%g L%g,%g" % (case[0], case[1] + 14, case[0] + 14, case[1]), stroke=ACCENT, width=2)
    g += path("M%g,%g L%g,%g" % (case[0] + case[2], case[1] + case[3] - 14, case[0] + case[2] - 14,
                                 case[1] + case[3]), stroke=ACCENT, width=2)
    lip = "M%g,%g L%g,%g L%g,%g L%g,%g Z" % (case[0] + 14, foot, case[0] + case[2] - 14, foot,
                                             case[0] + case[2] - 24, foot + 8, case[0] + 24, foot + 8)
    g += path(lip, fill="#08090b")
    g += hline(case[0] + 40, case[0] + case[2] - 40, foot + 7, ACCENT, opacity=0.9)
    rest = (cx - 290, foot + 26, 580, 44)
    g += path(chamfer(*rest, tl=10, tr=10, br=16, bl=16), fill="url(#case)")
    g += path(chamfer(*rest, tl=10, tr=10, br=16, bl=16), fill="url(#hatch)")
    g += path(line_box(*rest, tl=10, tr=10, br=16, bl=16), stroke=LINE_LIGHT)
    g += hline(rest[0] + 11, rest[0] + rest[2] - 11, rest[1] + 1, "#ffffff", opacity=0.1)
    g += hline(rest[0] + 30, rest[0] + rest[2] - 30, rest[1] + rest[3] - 1, ACCENT, opacity=0.6)
    # The name, large and faint, above the keyboard, and light streaks fading in from the right.
    g += text(300, 138, "VELKOR", 66, fill="none", anchor="start",
              extra='stroke="#2b313c" stroke-width="1" letter-spacing="8" font-style="oblique"')
    for i, (x0, y, op) in enumerate(((640, 84, 0.5), (700, 96, 0.8), (610, 108, 0.35), (730, 120, 0.6),
                                     (660, 132, 0.3))):
        g += rect(x0, y, 956 - x0, 1 + (i % 2), "url(#streak)", opacity=op)
    # Action bar and the caption buttons' plate.
    bar = (740, 570, 228, 52)
    g += path(chamfer(*bar, tl=16, br=10), fill="#111318")
    g += path(line_box(*bar, tl=16, br=10), stroke=LINE_LIGHT)
    g += hline(bar[0] + 16, bar[0] + 120, bar[1], ACCENT)
    for i in range(3):
        g += path("M%g,%g L%g,%g L%g,%g L%g,%g Z" % (712 + i * 8, 610, 718 + i * 8, 582, 722 + i * 8, 582,
                                                 716 + i * 8, 610), fill=ACCENT, opacity=0.25 + 0.25 * i)
    cap = (904, 22, 54, 29)
    g += path(chamfer(*cap, bl=8), fill="#15181e")
    g += path(line_box(*cap, bl=8), stroke=LINE_LIGHT)
    body += '<g clip-path="url(#shape)">%s</g>' % g
    return document(w, h, body, defs)


def _dialog(w, h, header=40, mark=True):
    """The common frame of the rectangular dialogs: a body with a rim, a header band with an
    accent underline, and accent cuts at two corners."""
    defs = gradient("body", "#13161b", "#0b0c0f") + hatch("hatch", "#ffffff", 5, 0.03)
    defs += gradient("fade", ACCENT, ACCENT, False, (0.9, 0.0))
    body = rect(0, 0, w, h, "url(#body)")
    body += rect(0, 0, w, header, "#0e1014")
    body += hline(0, w, header - 1, LINE_LIGHT)
    body += rect(12, header - 2, 160, 2, "url(#fade)")
    body += path(line_box(0, 0, w, h), stroke=RIM)
    body += path("M1,22 L1,1 L22,1", stroke=ACCENT, width=2)
    body += path("M%g,%g L%g,%g L%g,%g" % (w - 1, h - 22, w - 1, h - 1, w - 22, h - 1), stroke=ACCENT, width=2)
    if mark:
        body += path(line_box(w - 41, 5, 26, 25, bl=6), stroke=LINE)  # the exit button's plate
    return defs, body


def _list_well(l, t, r, b):
    return (rect(l - 3, t - 3, r - l + 6, b - t + 6, INK)
            + path(line_box(l - 3, t - 3, r - l + 6, b - t + 6), stroke="#1d2027")
            + _bracket(l - 3, t - 3, 1, 1, 10))


def macro_editor(w, h, list_rect, key_rect, option_x):
    """list_rect, key_rect, option_x: rcMacroList, rcKeyList and Macro_Opt_X."""
    defs, body = _dialog(w, h, header=44)
    body += wordmark(16, 29, 14)
    body += _list_well(*list_rect) + _list_well(*key_rect)
    # The option column: record, auto delay, the two loop modes with the count, insert, save.
    col = (option_x - 12, 60, w - (option_x - 12) - 16, 292)
    body += path(chamfer(*col, tl=14, br=14), fill="#101217")
    body += path(chamfer(*col, tl=14, br=14), fill="url(#hatch)")
    body += path(line_box(*col, tl=14, br=14), stroke=LINE)
    for y in (118, 238):
        body += hline(option_x, col[0] + col[2] - 14, y, LINE)
    body += hline(list_rect[0], list_rect[0] + 300, list_rect[3] + 34, LINE)
    return document(w, h, body, defs)


def picker(w, h):
    defs, body = _dialog(w, h, header=40, mark=False)
    # The close and restore-default hot spots are part of the picture.
    body += path(chamfer(429, 11, 44, 19, tl=4, br=4), fill="#1a1d23")
    body += path(line_box(429, 11, 44, 19, tl=4, br=4), stroke=LINE_LIGHT)
    body += path("M447,16.5 L455,24.5 M455,16.5 L447,24.5", stroke="#c4cad4", width=1.8)
    body += path(chamfer(479, 5, 39, 30, tl=5, br=5), fill="#1a1d23")
    body += path(line_box(479, 5, 39, 30, tl=5, br=5), stroke=ACCENT_DEEP)
    body += path("M492.5,14.4 A7,7 0 1 1 491.9,25.2", stroke=ACCENT, width=2)
    body += path("M488.5,12 L493.5,15 L489.5,19 Z", fill=ACCENT)
    # Tab column, page area, button bar; the colour row (50..72) stays on the plain body.
    body += vline(200, 88, 296, LINE)
    body += vline(201, 88, 296, "#000000", opacity=0.5)
    page = (212, 86, w - 212 - 14, 212)
    body += path(chamfer(*page, tl=12, br=12), fill="#101217")
    body += path(chamfer(*page, tl=12, br=12), fill="url(#hatch)")
    body += path(line_box(*page, tl=12, br=12), stroke=LINE)
    body += hline(20, w - 20, 303, LINE)
    for x0 in (380, 455):
        body += _well(x0 + 10, 312, x0 + 67, 342)
    return document(w, h, body, defs)


def message_box(w, h):
    defs, body = _dialog(w, h, header=40)
    body += hline(20, w - 20, h - 56, LINE)
    body += _well(w - 164, h - 45, w - 107, h - 15) + _well(w - 87, h - 45, w - 30, h - 15)
    return document(w, h, body, defs)


def _keyboard_glyph(cx, cy):
    """A small keyboard with a stream of data flowing into it: what the progress dialog waits for."""
    out = path(line_box(cx - 30, cy - 12, 60, 24, tl=4, br=4), stroke="#5c6472")
    for row, (y, n) in enumerate(((cy - 7, 8), (cy - 2, 8), (cy + 4, 1))):
        for i in range(n):
            x = cx - 25 + i * 6.5 if n > 1 else cx - 14
            out += rect(x, y, 28 if n == 1 else 4, 3, "#5c6472" if row else ACCENT)
    for i, op in enumerate((0.25, 0.5, 0.9)):
        x = cx - 70 + i * 12
        out += path("M%g,%g L%g,%g L%g,%g" % (x, cy - 5, x + 5, cy, x, cy + 5), stroke=ACCENT, width=2,
                    opacity=op)
    return out


PROGRESS_SIZE = (530, 150)
PROGRESS_BAR = (45, 101, 486, 123)


def progress(filled):
    """The progress dialog; the filled variant differs only inside the bar, so that its left part
    drawn over the empty one shows the progress."""
    w, h = PROGRESS_SIZE
    l, t, r, b = PROGRESS_BAR
    defs, body = _dialog(w, h, header=40)
    defs += gradient("bar", ACCENT_DEEP, ACCENT, vertical=False) + gradient("gloss", "#ffffff", "#ffffff",
                                                                            opacity=(0.35, 0.0))
    body += rect(l - 3, t - 3, r - l + 6, b - t + 6, INK)
    body += path(line_box(l - 3, t - 3, r - l + 6, b - t + 6, tl=4, br=4), stroke=LINE_LIGHT)
    for i in range(5):
        x = l + (r - l) * i / 4
        body += rect(round(x) - 0.5 + 0.5, b + 6, 1, 5, "#4a5160")
    body += _keyboard_glyph(w / 2, 70)
    defs += '<clipPath id="track"><rect x="%d" y="%d" width="%d" height="%d"/></clipPath>' % (l, t, r - l, b - t)
    track = rect(l, t, r - l, b - t, "url(#bar)" if filled else WELL)
    if filled:
        track += rect(l, t, r - l, (b - t) / 2, "url(#gloss)")
    for x in range(l - 4, r, 12):
        track += path("M%g,%g L%g,%g" % (x, b, x + 8, t), stroke="#ffffff", width=2,
                      opacity=0.08 if filled else 0.025)
    body += '<g clip-path="url(#track)">%s</g>' % track
    return document(w, h, body, defs)
