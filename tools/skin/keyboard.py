"""The keyboard picture, drawn from the layout in cfg.ini so that what a user sees is what a click
hits: every key of [KEY] becomes a key cap inside its rectangle (1 pixel in from each edge, so
neighbours show a 2-pixel seam), and the key named by UnRectKey is drawn along its polygon.
Legends follow each key's default code (field 6, a virtual-key code)."""
import re

from .svg import ACCENT, FONT_CONDENSED, document, gradient, path, text

WIDTH, HEIGHT = 674, 185

# Legend of a virtual-key code: one line, or (shifted, plain) for the two-symbol keys.
LEGENDS = {
    0x08: "Backspace", 0x09: "Tab", 0x0D: "Enter", 0x13: "Pause", 0x14: "Caps Lock", 0x1B: "Esc",
    0x20: "", 0x21: "PgUp", 0x22: "PgDn", 0x23: "End", 0x24: "Home", 0x25: "\u2190", 0x26: "\u2191",
    0x27: "\u2192", 0x28: "\u2193", 0x2C: "PrtSc", 0x2D: "Ins", 0x2E: "Del", 0x5B: "Win", 0x5C: "Win",
    0x5D: "\u2630", 0x6A: "*", 0x6B: "+", 0x6D: "\u2212", 0x6E: ".", 0x6F: "/", 0x90: "Num",
    0x91: "ScrLk", 0xA0: "Shift", 0xA1: "Shift", 0xA2: "Ctrl", 0xA3: "Ctrl", 0xA4: "Alt", 0xA5: "Alt",
    0x10: "Shift", 0x11: "Ctrl", 0x12: "Alt",
    0xBA: (":", ";"), 0xBB: ("+", "="), 0xBC: ("<", ","), 0xBD: ("_", "-"), 0xBE: (">", "."),
    0xBF: ("?", "/"), 0xC0: ("~", "`"), 0xDB: ("{", "["), 0xDC: ("|", "\\"), 0xDD: ("}", "]"),
    0xDE: ('"', "'"),
}
ARROWS = ("\u2190", "\u2191", "\u2192", "\u2193", "\u2630")
SHIFTED_DIGITS = ")!@#$%^&*("
# The keys a player's hand rests on carry accent legends.
ACCENT_KEYS = {0x57, 0x41, 0x53, 0x44, 0x25, 0x26, 0x27, 0x28}


def legend(vk):
    if vk in LEGENDS:
        return LEGENDS[vk]
    if 0x30 <= vk <= 0x39:
        return (SHIFTED_DIGITS[vk - 0x30], chr(vk))
    if 0x41 <= vk <= 0x5A:
        return chr(vk)
    if 0x60 <= vk <= 0x69:
        return str(vk - 0x60)
    if 0x70 <= vk <= 0x87:
        return "F%d" % (vk - 0x6F)
    return "%02X" % vk


def read_layout(sections):
    """The keys of [KEY] in slot order as (rect, vk, matrix), and the polygon key (matrix, points)
    of UnRectKey, read as the program reads them (entries K1, K2, ... up to the first gap), from
    cfg.ini's sections (skin.settings.read_sections)."""
    keys_section, options = sections.get("KEY", {}), sections.get("OPT", {})
    keys = []
    n = 1
    while keys_section.get("K%d" % n) and len(keys) < 144:
        fields = keys_section["K%d" % n].split(",")
        left, top, right, bottom = (int(f) for f in fields[:4])
        vk, matrix = int(fields[5], 16), int(fields[7]) & 0xFF
        if matrix < 144:
            keys.append(((left, top, right, bottom), vk, matrix))
        n += 1
    numbers = [int(v) for v in re.findall(r"-?\d+", options.get("UNRECTKEY", ""))][:50]
    polygon = (0, [])
    if len(numbers) >= 9:
        points = []
        for i in range(1, len(numbers) - 1, 2):
            if numbers[i] == 0 or len(points) == 20:
                break
            points.append((numbers[i], numbers[i + 1]))
        polygon = (numbers[0], points)
    return keys, polygon


def inset_rectilinear(points, side, top=None, bottom=None):
    """Moves the edges of a closed, axis-aligned polygon inwards: vertical edges by side, edges
    with the inside below them (tops) by top, edges with the inside above them by bottom."""
    top = side if top is None else top
    bottom = side if bottom is None else bottom
    ring = points[:-1] if points[0] == points[-1] else points
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1]))
    sign = 1 if area > 0 else -1  # in screen coordinates a positive sum turns clockwise
    out = []
    for i, cur in enumerate(ring):
        prev, nxt = ring[i - 1], ring[(i + 1) % len(ring)]
        x, y = cur
        for a, b in ((prev, cur), (cur, nxt)):
            if a[1] == b[1]:
                down = sign * (1 if b[0] > a[0] else -1)  # +1: the inside lies below this edge
                y = a[1] + (top if down > 0 else -bottom)
            else:
                x = a[0] - sign * side * (1 if b[1] > a[1] else -1)
        out.append((x, y))
    return out


def _outline(points):
    return "M" + " L".join("%g,%g" % p for p in points) + " Z"


def _cap(points):
    """A key cap inside the key's outline: a 1-pixel seam, a rim, a face raised towards the top
    with a lit top edge and a deeper front lip."""
    face = inset_rectilinear(points, 3, 2, 5)
    out = path(_outline(inset_rectilinear(points, 1)), fill="url(#cap)")
    out += path(_outline(inset_rectilinear(points, 1.5)), stroke="#3a404b")
    out += path(_outline(face), fill="url(#face)")
    for (x0, y0), (x1, y1) in zip(face, face[1:] + face[:1]):
        if y0 == y1 and y0 == min(y for _, y in face):
            out += path("M%g,%g H%g" % (x0, y0 + 0.5, x1), stroke="#ffffff", opacity=0.09)
    return out


def keyboard_picture(sections):
    keys, (poly_matrix, poly_points) = read_layout(sections)
    defs = gradient("cap", "#2a2f38", "#1b1e24") + gradient("face", "#262a32", "#1e2128")
    body = ""
    for (left, top, right, bottom), vk, matrix in keys:
        if poly_matrix and matrix == poly_matrix and len(poly_points) >= 3:
            body += _cap(poly_points)
            # The legend sits in the polygon's top bar (the wide part of an L-shaped Enter).
            ys = sorted({y for _, y in poly_points})
            xs = [x for x, y in poly_points if y == ys[0]]
            box = (min(xs), ys[0], max(xs), ys[1])
        else:
            box = (left, top, right, bottom)
            body += _cap([(left, top), (right, top), (right, bottom), (left, bottom)])
        body += _legend(legend(vk), *box, vk in ACCENT_KEYS)
    return document(WIDTH, HEIGHT, body, defs)


def _legend(label, x0, y0, x1, y1, accent):
    colour = ACCENT if accent else "#d3d7df"
    cx = (x0 + x1) / 2
    if isinstance(label, tuple):
        shifted, plain = label
        return (text(cx, y0 + 11, shifted, 8, fill="#8d94a1", family=FONT_CONDENSED)
                + text(cx, y1 - 7, plain, 9.5, fill=colour, family=FONT_CONDENSED))
    size = 12 if label in ARROWS else (9.5 if len(label) <= 2 else 8)
    if len(label) > 6 and x1 - x0 < 60:
        size = 7.5
    return text(cx, (y0 + y1) / 2 + size * 0.36 - 1, label, size, fill=colour, family=FONT_CONDENSED)
