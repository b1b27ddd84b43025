#!/usr/bin/env python3
"""Draws the skin folder from the sources in the repository.

  make_skins.py ASSETS OUT     writes every image (tools/skin/) and the signature mak.skn into OUT;
                               keyimg.png follows ASSETS/cfg.ini, mak.skn carries ASSETS/text.xml's
                               tc_title as UTF-16LE at byte 192
  make_skins.py --list         prints the names of the files it writes, one a line

Images are SVG drawn by tools/skin/ and rendered with rsvg-convert (the main window's keyboard
case, the macro editor's lists and keyimg.png follow cfg.ini); the main window's background
and mask are then made two-level, so the window's shape is exact: outside the outline both are
pure white (cut away), inside no pixel of the background is pure white.
"""
import re
import sys
from pathlib import Path

from skin.catalogue import entries
from skin.pixels import Image, write_bmp, write_png
from skin.settings import Settings
from skin.svg import render

SIGNATURE_OFFSET = 192
SIGNATURE_SIZE = 520
WHITE = (255, 255, 255, 255)


def window_title(text_xml: Path) -> str:
    text = text_xml.read_text(encoding="utf-8")
    m = re.search(r"<tc_title>(.*?)</tc_title>", text, re.S)
    return m.group(1) if m else ""


def make_signature(title: str) -> bytes:
    data = bytearray(SIGNATURE_SIZE)
    head = b"Velkor skin 1\0"
    data[: len(head)] = head
    encoded = title.encode("utf-16-le") + b"\0\0"
    data[SIGNATURE_OFFSET : SIGNATURE_OFFSET + len(encoded)] = encoded
    return bytes(data)


def shape_window(image):
    """Makes the rendered background two-level and returns (background, mask): a pixel at least
    half covered by the outline is inside, made opaque (and never pure white); any other pixel is
    outside, pure white in both."""
    background, mask = Image(image.width, image.height), Image(image.width, image.height)
    src, bg, mk = image.rgba, background.rgba, mask.rgba
    for i in range(0, len(src), 4):
        r, g, b, a = src[i : i + 4]
        if a < 128:
            bg[i : i + 4] = mk[i : i + 4] = bytes(WHITE)
            continue
        # rsvg-convert writes straight alpha: put the pixel over black to make it opaque.
        r, g, b = r * a // 255, g * a // 255, b * a // 255
        if (r, g, b) == (255, 255, 255):
            b = 254
        bg[i : i + 4] = bytes((r, g, b, 255))
        mk[i : i + 4] = bytes((0, 0, 0, 255))
    return background, mask


def opaque(image):
    """Puts a rendered image over black (the menu strips are BMPs, which have no alpha)."""
    out = Image(image.width, image.height)
    for i in range(0, len(image.rgba), 4):
        r, g, b, a = image.rgba[i : i + 4]
        out.rgba[i : i + 4] = bytes((r * a // 255, g * a // 255, b * a // 255, 255))
    return out


def draw_all(assets: Path, out: Path):
    settings = Settings((assets / "cfg.ini").read_text(encoding="utf-8", errors="replace"))
    for entry in entries():
        if entry.name == "main_mask.png":
            continue  # written with main_nr.png
        image = render(entry.draw(settings))
        if (image.width, image.height) != entry.size:
            raise RuntimeError("%s: drawn %dx%d, expected %dx%d" % ((entry.name, image.width, image.height)
                                                                   + entry.size))
        if entry.name == "main_nr.png":
            background, mask = shape_window(image)
            write_png(out / "main_nr.png", background, alpha=False)
            write_png(out / "main_mask.png", mask, alpha=False)
        elif entry.name.endswith(".bmp"):
            write_bmp(out / entry.name, opaque(image))
        else:
            # Opaque pictures (the dialogs' backgrounds) carry no alpha channel at all.
            write_png(out / entry.name, image, alpha=any(a != 255 for a in image.rgba[3::4]))
    (out / "mak.skn").write_bytes(make_signature(window_title(assets / "text.xml")))


def main(argv) -> int:
    if len(argv) == 2 and argv[1] == "--list":
        print("\n".join([e.name for e in entries()] + ["mak.skn"]))
        return 0
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    assets, out = Path(argv[1]), Path(argv[2])
    out.mkdir(parents=True, exist_ok=True)
    draw_all(assets, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
