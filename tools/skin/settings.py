"""The parts of cfg.ini the pictures follow: the keyboard rectangle, the macro editor's lists and
option column, and the layout's sections for the keyboard picture."""
import re

DEFAULTS = {"RCKB": (280, 180, 954, 365), "RCMACROLIST": (30, 76, 180, 326), "RCKEYLIST": (190, 76, 320, 326)}
DEFAULT_OPTION_X = 350


def read_sections(text):
    """Sections and keys upper-cased, values trimmed; comment lines skipped."""
    sections, current = {}, None
    for raw in text.splitlines():
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1].upper(), {})
        elif "=" in line and current is not None and not line.startswith(";"):
            key, value = line.split("=", 1)
            current[key.strip().upper()] = value.strip()
    return sections


class Settings:
    def __init__(self, cfg_text):
        self.sections = read_sections(cfg_text)
        options = self.sections.get("OPT", {})
        rects = {}
        for key, default in DEFAULTS.items():
            numbers = [int(v) for v in re.findall(r"-?\d+", options.get(key, ""))]
            rects[key] = tuple(numbers[:4]) if len(numbers) >= 4 else default
        self.keyboard, self.macro_list, self.key_list = rects["RCKB"], rects["RCMACROLIST"], rects["RCKEYLIST"]
        m = re.match(r"\s*(-?\d+)", options.get("MACRO_OPT_X", ""))
        self.option_x = int(m.group(1)) if m else DEFAULT_OPTION_X
