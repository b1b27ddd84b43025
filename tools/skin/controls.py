"""The skin's controls: buttons in their states, check boxes, radios, drop-downs, the slider, the
caption buttons, the tree's folder and event icons, the menu item strips. Each function returns
SVG text for one image; the states of one control differ at a glance: normal is a dim grey plate,
hover lights the plate and its rim, pressed or selected shows the accent."""
from .svg import (ACCENT, ACCENT_DARK, ACCENT_DEEP, DIM, HOVER_BOTTOM, HOVER_TOP, INK, LINE,
                  LINE_LIGHT, PLATE_BOTTOM, PLATE_TOP, RECORD, RIM, TEXT, WELL, chamfer,
                  document, gradient, hline, line_box, path, rect, vline)

NORMAL, HOVER, DOWN = "nr", "ov", "dn"


def _plate(w, h, state, cut=5, bar=True):
    """A chamfered plate with a rim: the face of every push button."""
    defs = (gradient("nr", PLATE_TOP, PLATE_BOTTOM) + gradient("ov", HOVER_TOP, HOVER_BOTTOM)
            + gradient("dn", "#0c2231", "#0a1822"))
    cuts = dict(tl=cut, br=cut)
    rim = {NORMAL: LINE_LIGHT, HOVER: "#8a93a3", DOWN: ACCENT}[state]
    body = path(chamfer(0, 0, w, h, **cuts), fill="url(#%s)" % state)
    body += path(line_box(0, 0, w, h, **cuts), stroke=rim)
    # A highlight along the top edge gives the plate its bevel.
    body += hline(cut + 1, w - 2, 1, "#ffffff", opacity={NORMAL: 0.06, HOVER: 0.14, DOWN: 0.0}[state])
    if state == DOWN:
        body += hline(cut + 1, w - 2, 1, ACCENT, opacity=0.35)
        body += rect(2, 2, w - 4, h - 4, ACCENT, opacity=0.07)
    if bar:
        # The left notch: dim when at rest, lit when selected.
        colour = {NORMAL: "#3a404c", HOVER: "#a8b0bd", DOWN: ACCENT}[state]
        body += path("M%g,%g L%g,%g L%g,%g L%g,%g Z" % (3, cut + 3, 6, cut + 3, 6, h - 4, 3, h - 4), fill=colour)
    return document(w, h, body, defs)


def push_button(w, h, state):
    return _plate(w, h, state, cut=min(6, h // 4), bar=w > 100)


def tab_button(w, h, state):
    """The picker's page tabs: taller plates with a chevron that points at the page."""
    src = _plate(w, h, state, cut=8)
    colour = {NORMAL: DIM, HOVER: TEXT, DOWN: ACCENT}[state]
    chevron = path("M%g,%g L%g,%g L%g,%g" % (w - 18, h / 2 - 5, w - 13, h / 2, w - 18, h / 2 + 5),
                   stroke=colour, width=2)
    return src.replace("</svg>", chevron + "</svg>")


def caption_button(kind, state):
    """16 x 15: the minimise dash or the close cross; hover fills the square with the accent."""
    w, h = 16, 15
    body = ""
    if state != NORMAL:
        body += path(chamfer(0, 0, w, h, tl=3, br=3), fill=ACCENT_DEEP)
        body += path(line_box(0, 0, w, h, tl=3, br=3), stroke=ACCENT)
    colour = "#ffffff" if state != NORMAL else "#aab1bd"
    if kind == "min":
        body += rect(4, 9, 8, 2, colour)
    else:
        body += path("M4.5,4 L11.5,11 M11.5,4 L4.5,11", stroke=colour, width=1.8,
                     extra='stroke-linecap="square"')
    return document(w, h, body)


def check_box(state):
    """16 x 16: an empty square; hover lights its rim; down is the checked mark on the accent."""
    s = 16
    if state == DOWN:
        body = path(chamfer(0, 0, s, s, tl=3, br=3), fill=ACCENT)
        body += path("M3.5,8.5 L6.5,11.5 L12.5,4.5", stroke=INK, width=2.2,
                     extra='stroke-linecap="square" stroke-linejoin="miter"')
    else:
        body = path(chamfer(0, 0, s, s, tl=3, br=3), fill=WELL)
        body += path(line_box(0, 0, s, s, tl=3, br=3), stroke=ACCENT if state == HOVER else RIM)
        if state == HOVER:
            body += rect(5, 5, 6, 6, ACCENT, opacity=0.35)
    return document(s, s, body)


def radio_button(state):
    s = 16
    ring = {NORMAL: RIM, HOVER: ACCENT, DOWN: ACCENT}[state]
    body = '<circle cx="8" cy="8" r="7.5" fill="%s"/>' % WELL
    body += '<circle cx="8" cy="8" r="7" fill="none" stroke="%s" stroke-width="1"/>' % ring
    if state == DOWN:
        body += '<circle cx="8" cy="8" r="4" fill="%s"/>' % ACCENT
    elif state == HOVER:
        body += '<circle cx="8" cy="8" r="3" fill="%s" opacity="0.35"/>' % ACCENT
    return document(s, s, body)


def combo_button(w, h, state):
    """A drop-down: a plate with a well on the right that holds the chevron."""
    cut = 5
    defs = gradient("face", HOVER_TOP if state == HOVER else PLATE_TOP,
                    HOVER_BOTTOM if state == HOVER else PLATE_BOTTOM)
    rim = ACCENT if state == HOVER else LINE_LIGHT
    body = path(chamfer(0, 0, w, h, tl=cut, br=cut), fill="url(#face)")
    body += path(line_box(0, 0, w, h, tl=cut, br=cut), stroke=rim)
    body += hline(cut + 1, w - 2, 1, "#ffffff", opacity=0.07)
    body += vline(w - 22, 4, h - 4, rim, opacity=0.7)
    colour = ACCENT if state == HOVER else "#b4bbc7"
    cy = h / 2
    body += path("M%g,%g L%g,%g L%g,%g Z" % (w - 15, cy - 2, w - 7, cy - 2, w - 11, cy + 3), fill=colour)
    return document(w, h, body, defs)


def record_button(w, h, state):
    """The macro editor's record button: a plate with the record lamp left of the caption (the
    caption starts 30 pixels in). Down is the recording state: the lamp and rim turn red."""
    cut = 6
    recording = state == DOWN
    defs = gradient("face", "#2a1518" if recording else PLATE_TOP, "#1c0f11" if recording else PLATE_BOTTOM)
    defs += ('<radialGradient id="lamp"><stop offset="0" stop-color="%s"/><stop offset="0.6" stop-color="%s"/>'
             '<stop offset="1" stop-color="%s" stop-opacity="0"/></radialGradient>'
             % ("#ffd0d4" if recording else "#8fdcff", RECORD if recording else ACCENT,
                RECORD if recording else ACCENT))
    body = path(chamfer(0, 0, w, h, tl=cut, br=cut), fill="url(#face)")
    body += path(line_box(0, 0, w, h, tl=cut, br=cut), stroke=RECORD if recording else LINE_LIGHT)
    body += hline(cut + 1, w - 2, 1, "#ffffff", opacity=0.07)
    cy = h / 2
    if recording:
        body += '<circle cx="16" cy="%g" r="10" fill="url(#lamp)" opacity="0.55"/>' % cy
    body += '<circle cx="16" cy="%g" r="6.5" fill="%s" stroke="%s" stroke-width="1"/>' % (
        cy, "#3a0d12" if recording else WELL, RECORD if recording else RIM)
    body += '<circle cx="16" cy="%g" r="4" fill="%s"/>' % (cy, RECORD if recording else ACCENT)
    return document(w, h, body, defs)


def arrow_button(w, h, direction, state):
    """The lighting direction pair: a double chevron; ov is the selected (lit) one."""
    lit = state != NORMAL
    cut = 5
    defs = gradient("face", "#0c2231" if lit else PLATE_TOP, "#0a1822" if lit else PLATE_BOTTOM)
    body = path(chamfer(0, 0, w, h, tl=cut, br=cut), fill="url(#face)")
    body += path(line_box(0, 0, w, h, tl=cut, br=cut), stroke=ACCENT if lit else LINE_LIGHT)
    colour = ACCENT if lit else "#8c94a1"
    cx, cy = w / 2, h / 2
    sign = -1 if direction == "left" else 1
    for offset in (-5, 3):
        x = cx + sign * offset
        body += path("M%g,%g L%g,%g L%g,%g" % (x - sign * 4, cy - 5, x, cy, x - sign * 4, cy + 5),
                     stroke=colour, width=2, extra='stroke-linecap="square"')
    return document(w, h, body, defs)


SCALE = (12, 51, 90, 129, 168)


def slider_track(w, h):
    """180 x 18: a recessed groove with a notch at each of the five scale positions."""
    cy = h // 2
    defs = gradient("fill", ACCENT_DEEP, ACCENT, vertical=False, opacity=(0.0, 0.55))
    body = path(chamfer(4, cy - 3, w - 8, 6, tl=2, br=2), fill=WELL)
    body += path(line_box(4, cy - 3, w - 8, 6, tl=2, br=2), stroke=LINE_LIGHT)
    body += rect(6, cy - 1, w - 12, 2, "url(#fill)")
    for x in SCALE:
        body += rect(x - 0.5, 1, 1, 3, "#5c6472")
        body += rect(x - 0.5, h - 4, 1, 3, "#5c6472")
    return document(w, h, body, defs)


def slider_thumb(w, h):
    """20 x 18: an accent grip; its centre sits on a scale position."""
    defs = gradient("grip", "#3cc3ff", ACCENT_DEEP)
    body = path(chamfer(3, 0, w - 6, h, tl=4, br=4), fill="url(#grip)")
    body += path(line_box(3, 0, w - 6, h, tl=4, br=4), stroke="#9fe0ff", opacity=0.8)
    for dx in (-3, 0, 3):
        body += rect(w / 2 + dx - 0.5, 5, 1, h - 10, INK, opacity=0.7)
    return document(w, h, body, defs)


def folder_icon(opened):
    """16 x 16 folder marks for the macro trees: open (expanded) in the accent, closed in grey."""
    colour = ACCENT if opened else "#9aa2ae"
    body = path("M1.5,3.5 L6,3.5 L7.5,5 L14.5,5 L14.5,13.5 L1.5,13.5 Z", stroke=colour,
                extra='stroke-linejoin="miter"')
    if opened:
        body += path("M1.5,13.5 L4,7.5 L15.5,7.5 L13,13.5 Z", fill=ACCENT, opacity=0.45)
    else:
        body += rect(2, 6, 12, 7, colour, opacity=0.25)
    return document(16, 16, body)


def event_icon(kind):
    """18 x 18 marks of the macro event list: press (down arrow onto a key, accent), release (up
    arrow, light grey) and delay (a clock, grey)."""
    if kind == "TM":
        body = '<circle cx="9" cy="9" r="6.5" fill="none" stroke="#9aa2ae" stroke-width="1.4"/>'
        body += path("M9,5 L9,9 L12,11", stroke="#d0d5dd", width=1.4, extra='stroke-linecap="round"')
        return document(18, 18, body)
    down = kind == "DN"
    colour = ACCENT if down else "#c9ced8"
    body = path(chamfer(2, 12, 14, 4, tl=1, br=1), fill=colour, opacity=0.9)
    if down:
        body += path("M9,1.5 L9,9", stroke=colour, width=2)
        body += path("M5,6 L9,10.5 L13,6", stroke=colour, width=2, extra='stroke-linejoin="miter"')
    else:
        body += path("M9,10.5 L9,3", stroke=colour, width=2)
        body += path("M5,6.5 L9,2 L13,6.5", stroke=colour, width=2, extra='stroke-linejoin="miter"')
    return document(18, 18, body)


def menu_strip(w, h, sub, state):
    """A pop-up menu item's background (stretched to the menu's width by the menu library): a flat
    dark row; the highlighted row carries the accent bar and an accent wash."""
    base = "#16191f" if sub else "#1a1d23"
    body = rect(0, 0, w, h, base)
    body += hline(0, w, h - 1, "#0e1014")
    if state == HOVER:
        defs = gradient("wash", ACCENT, ACCENT, vertical=False, opacity=(0.45, 0.08))
        body += rect(0, 0, w, h, "url(#wash)")
        body += rect(0, 0, 3, h, ACCENT)
        return document(w, h, body, defs)
    body += rect(0, 0, 1, h, LINE_LIGHT if sub else LINE)
    return document(w, h, body)


def message_icon():
    """32 x 32: the message box's mark, an exclamation in an accent hexagon."""
    body = path("M16,1.5 L29,9 L29,23 L16,30.5 L3,23 L3,9 Z", fill=ACCENT_DARK, stroke=ACCENT, width=1.5)
    body += rect(14.5, 8, 3, 11, "#e8f7ff")
    body += rect(14.5, 21.5, 3, 3, "#e8f7ff")
    return document(32, 32, body)
