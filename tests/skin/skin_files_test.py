"""The drawn skin folder against what the windows load: every file by name and size, the main
window's shape rule, and the keyboard picture against cfg.ini's layout.

  skin_files_test.py SKINS_DIR CFG_INI
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from skin.pixels import bmp_size, png_size, read_png  # noqa: E402

# (file, width, height). Rectangles of the main window fix the caption, profile and action
# buttons; rcKB fixes the keyboard picture, the lighting panel's slider rectangle the track; the
# other sizes are the skin's own choice, which the windows take from the images.
FILES = [
    ("main_nr.png", 984, 640), ("main_mask.png", 984, 640),
    ("min_nr.png", 16, 15), ("min_ov.png", 16, 15), ("exit_nr.png", 16, 15), ("exit_ov.png", 16, 15),
    ("button_nr.png", 223, 25), ("button_dn.png", 223, 25), ("btn_nr.png", 57, 30), ("btn_ov.png", 57, 30),
    ("keyimg.png", 674, 185),
    ("msg_nr.png", 460, 190), ("msgico.png", 32, 32),
    ("progress_nr.png", 530, 150), ("progress_ov.png", 530, 150),
    ("menu_nr.bmp", 150, 20), ("menu_ov.bmp", 150, 20), ("menusub_nr.bmp", 150, 20), ("menusub_ov.bmp", 150, 20),
    ("macro_nr.png", 660, 380), ("UP_N.png", 18, 18), ("DN_N.png", 18, 18), ("TM_N.png", 18, 18),
    ("recbtn_nr.png", 150, 34), ("recbtn_dn.png", 150, 34),
    ("check_nr.png", 16, 16), ("check_ov.png", 16, 16), ("check_dn.png", 16, 16),
    ("radio_nr.png", 16, 16), ("radio_ov.png", 16, 16), ("radio_dn.png", 16, 16),
    ("combo_nr.png", 137, 24), ("combo_ov.png", 137, 24), ("open.png", 16, 16), ("close.png", 16, 16),
    ("pickfundlg.png", 550, 360), ("btn2_nr.png", 150, 40),
    ("slider.png", 20, 18), ("dpi_bar.png", 180, 18),
    ("lbtn_nr.png", 54, 22), ("lbtn_ov.png", 54, 22), ("rbtn_nr.png", 54, 22), ("rbtn_ov.png", 54, 22),
]
WHITE = b"\xff\xff\xff"


def test_every_file_has_its_size(skins, _cfg):
    wrong = []
    for name, width, height in FILES:
        path = skins / name
        if not path.is_file():
            wrong.append("%s missing" % name)
            continue
        data = path.read_bytes()
        size = bmp_size(data) if name.endswith(".bmp") else png_size(data)
        if size != (width, height):
            wrong.append("%s is %s, expected %dx%d" % (name, size, width, height))
    assert not wrong, wrong


def test_the_mask_and_the_background_give_one_shape(skins, _cfg):
    """Pure white is cut away: the mask and, when the mask is missing, the background itself must
    cut the same pixels; inside the shape the background has no pure white to lose."""
    background = read_png((skins / "main_nr.png").read_bytes())
    mask = read_png((skins / "main_mask.png").read_bytes())
    cut_by_mask = cut_by_background = differ = 0
    for i in range(0, len(mask.rgba), 4):
        m, b = mask.rgba[i : i + 3] == WHITE, background.rgba[i : i + 3] == WHITE
        cut_by_mask += m
        cut_by_background += b
        differ += m != b
    assert differ == 0, "%d pixels cut by one and kept by the other" % differ
    # The outline cuts the corners but keeps the window's middle.
    assert 0 < cut_by_mask < len(mask.rgba) // 4 // 20, cut_by_mask
    for x, y in ((0, 0), (background.width - 1, background.height - 1)):
        assert mask.pixel(x, y)[:3] == (255, 255, 255), (x, y)
    assert mask.pixel(background.width // 2, background.height // 2)[:3] != (255, 255, 255)


def test_progress_fill_shows_nothing_before_the_bar(skins, _cfg):
    empty = read_png((skins / "progress_nr.png").read_bytes())
    full = read_png((skins / "progress_ov.png").read_bytes())
    assert empty.crop(0, 0, 45, empty.height).rgba == full.crop(0, 0, 45, full.height).rgba
    assert empty.crop(45, 0, 441, empty.height).rgba != full.crop(45, 0, 441, full.height).rgba


def _layout(cfg):
    """Key rectangles of [KEY] and the polygon key's outline, read plainly from cfg.ini."""
    section, keys, polygon = None, [], None
    for line in cfg.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if line.startswith("["):
            section = line.upper()
        elif section == "[KEY]" and line.startswith("K") and "=" in line:
            f = line.split("=", 1)[1].split(",")
            keys.append((tuple(int(v) for v in f[:4]), int(f[7])))
        elif line.upper().startswith("UNRECTKEY="):
            n = [int(v) for v in line.split("=", 1)[1].split(",")]
            polygon = (n[0], list(zip(n[1::2], n[2::2])))
    return keys, polygon


def _inside(points, x, y):
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def test_keyboard_picture_follows_the_layout(skins, cfg):
    """Every key is painted where cfg.ini puts it and nothing where no key is, with a seam along
    each key's edge: the picture and the hit test agree. The polygon key's seam follows its
    polygon, so it shows as its own shape and not as its bounding rectangle."""
    picture = read_png((skins / "keyimg.png").read_bytes())
    width, height = picture.width, picture.height
    keys, (poly_matrix, poly) = _layout(cfg)
    owner = [0] * (width * height)
    for number, ((left, top, right, bottom), matrix) in enumerate(keys, 1):
        for y in range(top, bottom):
            for x in range(left, right):
                if matrix != poly_matrix or _inside(poly, x + 0.5, y + 0.5):
                    owner[y * width + x] = number
    assert len(keys) > 100
    wrong = []
    for y in range(height):
        for x in range(width):
            o = owner[y * width + x]
            edge = any(not (0 <= nx < width and 0 <= ny < height) or owner[ny * width + nx] != o
                       for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
            alpha = picture.rgba[(y * width + x) * 4 + 3]
            if (not o or edge) and alpha != 0:
                wrong.append(("painted outside a key or on its seam", x, y))
    for (left, top, right, bottom), matrix in keys:
        cx, cy = (left + right) // 2, (top + 4 if matrix == poly_matrix else (top + bottom) // 2)
        if picture.pixel(cx, cy)[3] != 255:
            wrong.append(("key not painted", left, top))
    assert not wrong, wrong[:10]


TESTS = [test_every_file_has_its_size, test_the_mask_and_the_background_give_one_shape,
         test_progress_fill_shows_nothing_before_the_bar, test_keyboard_picture_follows_the_layout]

if __name__ == "__main__":
    skins_dir, cfg_ini = Path(sys.argv[1]), Path(sys.argv[2])
    failed = 0
    for test in TESTS:
        try:
            test(skins_dir, cfg_ini)
            print("ok   " + test.__name__)
        except AssertionError as e:
            failed += 1
            print("FAIL %s: %s" % (test.__name__, e))
    sys.exit(1 if failed else 0)
