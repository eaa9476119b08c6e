#!/usr/bin/env python3
"""Writes engine/src/UpperCaseTable.cpp: the engine's table of simple
upper-case mappings, from the Unicode Character Database's UnicodeData.txt.

Each mapping is field 12 of a line (Simple_Uppercase_Mapping): one character
to one other character. A character without one (such as "ß", whose upper case
is two characters) is left out, and the engine leaves it as it is.

Usage:
    engine/tools/make_upper_case_table.py [--data UnicodeData.txt] [--output FILE]
                                          [--expect-version X.Y.Z] [--check]

The version is read from DerivedAge.txt beside UnicodeData.txt (Debian's
unicode-data package installs both in /usr/share/unicode). With --check the
output file is compared with what would be written, and left alone: status 1
when they differ. With --expect-version, a database of another version exits
with status 77 and writes nothing, so that such a check can be skipped.
"""

import argparse
import pathlib
import re
import sys

ENTRIES_PER_LINE = 3
SKIPPED = 77


def unicode_version(data: pathlib.Path) -> str:
    derived_age = data.with_name("DerivedAge.txt")
    with derived_age.open(encoding="utf-8") as lines:
        match = re.match(r"# DerivedAge-(\d+\.\d+\.\d+)\.txt", lines.readline())
    if not match:
        sys.exit(f"{derived_age}: no version on its first line")
    return match.group(1)


def simple_upper_case(data: pathlib.Path) -> list[tuple[int, int]]:
    mappings = []
    with data.open(encoding="utf-8") as lines:
        for line in lines:
            fields = line.rstrip("\n").split(";")
            if len(fields) != 15:
                sys.exit(f"{data}: not a UnicodeData.txt line: {line!r}")
            if fields[12]:
                mappings.append((int(fields[0], 16), int(fields[12], 16)))
    mappings.sort()
    targets = dict(mappings)
    # Upper-casing twice must give what upper-casing once gives: the engine
    # upper-cases texts that may be upper-cased already.
    for code, upper in mappings:
        if targets.get(upper, upper) != upper:
            sys.exit(f"U+{code:04X} maps to U+{upper:04X}, which maps on")
    return mappings


def ranges_of(mappings: list[tuple[int, int]]) -> list[tuple[int, int, int, int]]:
    """Runs of characters, every one or every second code point, that all
    map by the same distance: (first, last, step, distance)."""
    ranges: list[tuple[int, int, int, int]] = []
    for code, upper in mappings:
        distance = upper - code
        if ranges:
            first, last, step, previous = ranges[-1]
            gap = code - last
            if previous == distance and (gap == step or (first == last and gap in (1, 2))):
                ranges[-1] = (first, code, gap, distance)
                continue
        ranges.append((code, code, 1, distance))
    # The runs hold exactly the mappings, and no run reaches into the next.
    expanded = {c: c + d for first, last, step, d in ranges for c in range(first, last + 1, step)}
    if expanded != dict(mappings):
        sys.exit("the runs do not hold the mappings")
    if any(a[1] >= b[0] for a, b in zip(ranges, ranges[1:])):
        sys.exit("two runs overlap")
    return ranges


def render(version: str, ranges: list[tuple[int, int, int, int]]) -> str:
    rows = []
    for start in range(0, len(ranges), ENTRIES_PER_LINE):
        chunk = ranges[start : start + ENTRIES_PER_LINE]
        entries = (f"{{0x{f:05X}, 0x{l:05X}, {s}, {d}}}," for f, l, s, d in chunk)
        rows.append("    " + " ".join(entries))
    table = "\n".join(rows)
    return f"""\
// Made by engine/tools/make_upper_case_table.py from UnicodeData.txt of
// Unicode {version}. Do not edit: run the script again.

#include "UpperCaseTable.h"

namespace vornel {{

namespace {{

// {{first, last, step, distance}}
// clang-format off
constexpr UpperCaseRange kRanges[] = {{
{table}
}};
// clang-format on

}}  // namespace

constinit const std::string_view kUpperCaseUnicodeVersion = "{version}";
constinit const std::span<const UpperCaseRange> kUpperCaseRanges(kRanges);

}}  // namespace vornel
"""


def main() -> int:
    here = pathlib.Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=pathlib.Path,
                        default=pathlib.Path("/usr/share/unicode/UnicodeData.txt"))
    parser.add_argument("--output", type=pathlib.Path,
                        default=here.parent / "src" / "UpperCaseTable.cpp")
    parser.add_argument("--expect-version")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()

    version = unicode_version(args.data)
    if args.expect_version and version != args.expect_version:
        print(f"{args.data} is Unicode {version}, not {args.expect_version}")
        return SKIPPED
    text = render(version, ranges_of(simple_upper_case(args.data)))
    if args.check:
        if args.output.read_text(encoding="utf-8") != text:
            print(f"{args.output} is not what {pathlib.Path(__file__).name} makes: run it again")
            return 1
        return 0
    args.output.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
