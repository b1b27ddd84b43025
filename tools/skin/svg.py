"""Small SVG builders shared by every image of the skin, and the palette that gives it one look."""
import subprocess

from .pixels import read_png

# One accent on near-black greys. The accent matches the hover, pressed and menu colours of
# cfg.ini (0,170,255), so the program's texts and outlines and the pictures agree.
ACCENT = "#00aaff"
ACCENT_DEEP = "#0077b3"
ACCENT_DARK = "#06354f"
RECORD = "#ff3b47"  # only the recording state of the record button
INK = "#07080a"
PANEL = "#13161b"
WELL = "#090a0d"
PLATE_TOP, PLATE_BOTTOM = "#20242c", "#171a20"
HOVER_TOP, HOVER_BOTTOM = "#2c323d", "#20242c"
LINE = "#262a33"
LINE_LIGHT = "#3b414d"
RIM = "#4a5160"
TEXT = "#d9dce3"
DIM = "#7a808c"
FONT = "DejaVu Sans"
FONT_CONDENSED = "DejaVu Sans Condensed"


def document(width, height, body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            "<defs>%s</defs>%s</svg>" % (width, height, width, height, defs, body))


def render(source):
    """Renders SVG text with rsvg-convert into an Image."""
    result = subprocess.run(["rsvg-convert", "--format", "png"], input=source.encode("utf-8"),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if result.returncode != 0:
        raise RuntimeError("rsvg-convert failed: " + result.stderr.decode("utf-8", "replace"))
    return read_png(result.stdout)


def chamfer(x, y, w, h, tl=0, tr=0, br=0, bl=0):
    """Outline of a rectangle whose corners are cut at 45 degrees by the given lengths."""
    pts = [(x + tl, y), (x + w - tr, y), (x + w, y + tr), (x + w, y + h - br), (x + w - br, y + h),
           (x + bl, y + h), (x, y + h - bl), (x, y + tl)]
    out = []
    for p in pts:
        if not out or out[-1] != p:
            out.append(p)
    return "M" + " L".join("%g,%g" % p for p in out) + " Z"


def line_box(x, y, w, h, **cuts):
    """chamfer() moved half a pixel in, so that a 1-pixel stroke lands on whole pixels."""
    half = {k: max(v - 0.5, 0) for k, v in cuts.items()}
    return chamfer(x + 0.5, y + 0.5, w - 1, h - 1, **half)


def path(d, fill="none", stroke="none", width=1, opacity=1, extra=""):
    return '<path d="%s" fill="%s" stroke="%s" stroke-width="%g" opacity="%g" %s/>' % (
        d, fill, stroke, width, opacity, extra)


def rect(x, y, w, h, fill, opacity=1):
    return '<rect x="%g" y="%g" width="%g" height="%g" fill="%s" opacity="%g"/>' % (x, y, w, h, fill, opacity)


def hline(x0, x1, y, colour, width=1, opacity=1):
    return rect(x0, y, x1 - x0, width, colour, opacity)


def vline(x, y0, y1, colour, width=1, opacity=1):
    return rect(x, y0, width, y1 - y0, colour, opacity)


def gradient(name, top, bottom, vertical=True, opacity=(1, 1)):
    x2, y2 = ("0", "1") if vertical else ("1", "0")
    return ('<linearGradient id="%s" x1="0" y1="0" x2="%s" y2="%s">'
            '<stop offset="0" stop-color="%s" stop-opacity="%g"/>'
            '<stop offset="1" stop-color="%s" stop-opacity="%g"/></linearGradient>'
            % (name, x2, y2, top, opacity[0], bottom, opacity[1]))


def glow(name, colour, opacity):
    return ('<radialGradient id="%s"><stop offset="0" stop-color="%s" stop-opacity="%g"/>'
            '<stop offset="1" stop-color="%s" stop-opacity="0"/></radialGradient>' % (name, colour, opacity, colour))


def text(x, y, s, size, fill=TEXT, anchor="middle", weight="bold", family=FONT, extra=""):
    s = s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return ('<text x="%g" y="%g" font-family="%s" font-size="%g" font-weight="%s" fill="%s" '
            'text-anchor="%s" %s>%s</text>' % (x, y, family, size, weight, fill, anchor, extra, s))


def hatch(name, colour, spacing=6, opacity=0.5):
    """A pattern of thin diagonal lines, the texture of raised plates."""
    return ('<pattern id="%s" width="%d" height="%d" patternUnits="userSpaceOnUse" '
            'patternTransform="rotate(45)"><rect width="1" height="%d" fill="%s" opacity="%g"/></pattern>'
            % (name, spacing, spacing, spacing, colour, opacity))
