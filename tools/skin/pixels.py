"""RGBA images in memory and the two file formats the skin folder holds: PNG (8-bit RGB or RGBA,
read back from rsvg-convert and written by us) and 24-bit BMP. Standard library only."""
import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Image:
    """Straight (not premultiplied) RGBA, rows top to bottom."""

    def __init__(self, width, height, rgba=None):
        self.width, self.height = width, height
        self.rgba = bytearray(rgba if rgba is not None else bytes(width * height * 4))
        assert len(self.rgba) == width * height * 4

    def pixel(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.rgba[i : i + 4])

    def crop(self, left, top, width, height):
        out = Image(width, height)
        for y in range(height):
            src = ((top + y) * self.width + left) * 4
            out.rgba[y * width * 4 : (y + 1) * width * 4] = self.rgba[src : src + width * 4]
        return out

    def paste_over(self, other, left, top):
        """Draws other onto this image at (left, top) with source-over blending."""
        for y in range(other.height):
            ty = top + y
            if not 0 <= ty < self.height:
                continue
            for x in range(other.width):
                tx = left + x
                if not 0 <= tx < self.width:
                    continue
                s = (y * other.width + x) * 4
                sa = other.rgba[s + 3]
                if sa == 0:
                    continue
                d = (ty * self.width + tx) * 4
                if sa == 255:
                    self.rgba[d : d + 4] = other.rgba[s : s + 4]
                    continue
                da = self.rgba[d + 3]
                oa = sa + da * (255 - sa) // 255
                for c in range(3):
                    sc, dc = other.rgba[s + c], self.rgba[d + c]
                    self.rgba[d + c] = (sc * sa + dc * da * (255 - sa) // 255) // max(oa, 1)
                self.rgba[d + 3] = oa


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(path, image, alpha=True):
    """Writes RGBA, or RGB when alpha is False (the image must then be opaque)."""
    channels = 4 if alpha else 3
    stride = image.width * channels
    raw = bytearray()
    prev = bytes(stride)
    for y in range(image.height):
        row = image.rgba[y * image.width * 4 : (y + 1) * image.width * 4]
        if not alpha:
            row = bytes(b for i, b in enumerate(row) if i % 4 != 3)
        # The Up filter packs flat skin art well and is cheap to compute.
        raw.append(2)
        raw += bytes((row[i] - prev[i]) & 0xFF for i in range(stride))
        prev = row
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(PNG_SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + _chunk(b"IEND", b""))


def png_size(data):
    """(width, height) from a PNG's header, or None when data is not a PNG."""
    if data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(data):
    """Decodes an 8-bit, non-interlaced RGB or RGBA PNG into an Image."""
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG")
    pos, idat, header = 8, bytearray(), None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos : pos + 4])
        kind, body = data[pos + 4 : pos + 8], data[pos + 8 : pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("unsupported PNG (depth %d, colour type %d, interlace %d)" % (depth, colour, interlace))
    channels = 4 if colour == 6 else 3
    stride = width * channels
    raw = zlib.decompress(bytes(idat))
    out = Image(width, height)
    prev = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + b) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                row[i] = (row[i] + _paeth(a, b, c)) & 0xFF
        prev = row
        if channels == 4:
            out.rgba[y * width * 4 : (y + 1) * width * 4] = row
        else:
            for x in range(width):
                out.rgba[(y * width + x) * 4 : (y * width + x) * 4 + 4] = row[x * 3 : x * 3 + 3] + b"\xff"
    return out


def write_bmp(path, image):
    """A 24-bit bottom-up BMP; the image must be opaque."""
    stride = (image.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(image.height)):
        row = bytearray()
        for x in range(image.width):
            r, g, b, _ = image.pixel(x, y)
            row += bytes((b, g, r))
        pixels += row + bytes(stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def bmp_size(data):
    """(width, height) from a BMP's header, or None when data is not a BMP."""
    if data[:2] != b"BM" or len(data) < 26:
        return None
    width, height = struct.unpack("<ii", data[18:26])
    return width, abs(height)
