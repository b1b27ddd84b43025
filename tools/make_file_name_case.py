#!/usr/bin/env python3
"""Writes src/platform/file_name_case.cpp: the upper-casing the file system compares names by,
one UTF-16 unit at a time over the basic plane (simple case mappings: a unit whose upper case is
more than one character, like U+00DF, stays as it is). Run it again only to move to a newer
Unicode version: python3 tools/make_file_name_case.py > src/platform/file_name_case.cpp"""
import sys
import unicodedata


def simple_upper(c):
    ch = chr(c)
    up = ch.upper()
    if len(up) == 1:
        return ord(up)
    # Where the full mapping is several characters, the simple one (when there is one) is the
    # title case form: U+1F80 gives U+1F88, not U+1F08 U+0399.
    title = ch.title()
    return ord(title) if len(title) == 1 else c


def runs():
    """(first, last, step, delta): every `step`-th unit from first to last maps to unit + delta."""
    out = []
    for c in range(0x10000):
        if 0xD800 <= c < 0xE000:
            continue
        u = simple_upper(c)
        if u == c or u > 0xFFFF:
            continue
        d = u - c
        if out:
            first, last, step, delta = out[-1]
            gap = c - last
            if delta == d and gap in (1, 2) and (first == last or gap == step):
                out[-1] = (first, c, gap, d)
                continue
        out.append((c, c, 1, d))
    return out


def main():
    rows = runs()
    print("// Made by tools/make_file_name_case.py from the Unicode %s case mappings; do not edit."
          % unicodedata.unidata_version)
    print('#include "platform/file_names.h"')
    print()
    print("namespace plat {")
    print("namespace {")
    print()
    print("struct CaseRun {")
    print("  char16_t first, last;")
    print("  uint8_t step;")
    print("  int32_t delta;")
    print("};")
    print()
    print("constexpr CaseRun kCaseRuns[] = {")
    for first, last, step, delta in rows:
        print("    {0x%04X, 0x%04X, %d, %d}," % (first, last, step, delta))
    print("};")
    print()
    print("}  // namespace")
    print()
    print("char16_t FileNameUpper(char16_t c) {")
    print("  size_t lo = 0, hi = sizeof kCaseRuns / sizeof kCaseRuns[0];")
    print("  while (lo < hi) {  // the last run that starts at or before c")
    print("    const size_t mid = (lo + hi) / 2;")
    print("    if (kCaseRuns[mid].first <= c) lo = mid + 1;")
    print("    else hi = mid;")
    print("  }")
    print("  if (lo == 0) return c;")
    print("  const CaseRun& run = kCaseRuns[lo - 1];")
    print("  if (c > run.last || (c - run.first) % run.step != 0) return c;")
    print("  return static_cast<char16_t>(static_cast<int32_t>(c) + run.delta);")
    print("}")
    print()
    print("}  // namespace plat")


if __name__ == "__main__":
    sys.exit(main())
