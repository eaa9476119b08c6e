#!/usr/bin/env python3
"""Writes cli/WidthTable.inc, the columns a character takes on a terminal,
from the Unicode Character Database as Debian's unicode-data package installs
it (/usr/share/unicode). Run from anywhere:

    python3 cli/make_width_table.py [UNICODE-DIR] > cli/WidthTable.inc

A character takes 0 columns when it is a combining mark (Mn, Me), a format
character (Cf) other than the soft hyphen, which terminals show, or a Hangul
vowel or final consonant jamo that joins the syllable before it; 2 columns
when its East Asian width is Wide or Fullwidth; 1 column otherwise. Control
characters never reach the table: the caller shows them as other text."""

import pathlib
import re
import sys

UNICODE = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode")

SOFT_HYPHEN = 0x00AD
JOINING_JAMO = [(0x1160, 0x11FF), (0xD7B0, 0xD7FF)]
LINE = re.compile(r"^([0-9A-F]+)(?:\.\.([0-9A-F]+))?\s*;\s*(\w+)")


def read(name):
    """The ranges and values of a data file, and the file's version."""
    text = (UNICODE / name).read_text(encoding="utf-8")
    version = re.search(r"-(\d+\.\d+\.\d+)\.txt", text).group(1)
    rows = []
    for line in text.splitlines():
        match = LINE.match(line)
        if match:
            first = int(match.group(1), 16)
            last = int(match.group(2) or match.group(1), 16)
            rows.append((first, last, match.group(3)))
    return rows, version


def merged(codes):
    """Sorted code points as inclusive ranges."""
    ranges = []
    for code in sorted(codes):
        if ranges and ranges[-1][1] == code - 1:
            ranges[-1][1] = code
        else:
            ranges.append([code, code])
    return ranges


def table(name, ranges):
    cells = [f"{{0x{first:04X}, 0x{last:04X}}}," for first, last in ranges]
    rows = [" ".join(cells[i : i + 4]) for i in range(0, len(cells), 4)]
    body = "".join(f"\n    {row}" for row in rows)
    return f"inline constexpr CodeRange {name}[] = {{{body}\n}};"


def main():
    categories, version = read("extracted/DerivedGeneralCategory.txt")
    widths, width_version = read("EastAsianWidth.txt")
    if version != width_version:
        sys.exit(f"the data files are of Unicode {version} and {width_version}")
    zero = set()
    for first, last, category in categories:
        if category in ("Mn", "Me", "Cf"):
            zero.update(range(first, last + 1))
    zero.discard(SOFT_HYPHEN)
    for first, last in JOINING_JAMO:
        zero.update(range(first, last + 1))
    double = set()
    for first, last, width in widths:
        if width in ("W", "F"):
            double.update(range(first, last + 1))
    double -= zero
    print(f"// The columns characters take on a terminal, from Unicode {version}.")
    print("// Written by cli/make_width_table.py: change that, not this.")
    print(table("kZeroWidth", merged(zero)))
    print(table("kDoubleWidth", merged(double)))


main()
