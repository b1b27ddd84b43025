#!/usr/bin/env python3
"""Draws the skin folder from the sources in assets/: for now the signature file mak.skn, which
carries the window title (tc_title of text.xml) as UTF-16LE at byte 192."""
import re
import sys
from pathlib import Path

SIGNATURE_OFFSET = 192
SIGNATURE_SIZE = 520


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


def main() -> int:
    assets, out = Path(sys.argv[1]), Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    (out / "mak.skn").write_bytes(make_signature(window_title(assets / "text.xml")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
