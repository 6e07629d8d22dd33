#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes src/common/character_tables.h, the code point ranges that diagnostics
show as bytes, from the Unicode Character Database's UnicodeData.txt and
DerivedCoreProperties.txt (Debian's unicode-data package).

usage: make_character_tables.py [UNICODE_DIR, default /usr/share/unicode] > character_tables.h
"""
import os
import re
import sys

# The general categories of the characters that Python's str.isprintable()
# refuses, the space U+0020 apart; Cn is every code point that
# UnicodeData.txt does not list.
UNPRINTABLE = {"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp", "Zs"}
# Characters that Unicode gives a visible category, so that Python's rule
# keeps them, but that fonts draw as a blank: in a value they would pass for
# a space or for nothing.
SHOWN_BLANK = {0x2800: "BRAILLE PATTERN BLANK"}


def categories(path):
    """The general category of every code point, Cn for the unlisted ones."""
    category = ["Cn"] * 0x110000
    first = None
    with open(path, encoding="utf-8") as data:
        for line in data:
            point, name, value = line.split(";")[:3]
            point = int(point, 16)
            # A big block (CJK ideographs, Hangul syllables, surrogates,
            # private use, Tangut...) is given as a "<..., First>" line and a
            # "<..., Last>" line, and all of it has their category.
            if name.endswith(", First>"):
                first = point
                continue
            start, first = (point, None) if first is None else (first, None)
            category[start:point + 1] = [value] * (point + 1 - start)
    return category


def property_points(path, wanted):
    """The code points that DerivedCoreProperties.txt gives property `wanted`."""
    points = set()
    with open(path, encoding="utf-8") as data:
        for line in data:
            fields = [field.strip() for field in line.split("#")[0].split(";")]
            if len(fields) == 2 and fields[1] == wanted:
                first, _, last = fields[0].partition("..")
                points.update(range(int(first, 16), int(last or first, 16) + 1))
    return points


def ranges(points):
    """The sorted points as ranges, adjacent ones merged."""
    merged = []
    for point in sorted(points):
        if merged and merged[-1][1] == point - 1:
            merged[-1][1] = point
        else:
            merged.append([point, point])
    return merged


def table(name, comment, points):
    """The C++ array `name` of the ranges of `points`, as many on a line as fit."""
    lines, line = [], "   "
    for first, last in ranges(points):
        entry = f" {{{first:#x}, {last:#x}}},"
        if len(line) + len(entry) > 100:
            lines.append(line)
            line = "   "
        line += entry
    lines.append(line)
    body = "\n".join(lines)
    return f"{comment}\ninline constexpr std::pair<char32_t, char32_t> {name}[] = {{\n{body}\n}};\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
    derived = os.path.join(folder, "DerivedCoreProperties.txt")
    # UnicodeData.txt does not name its version; its sister file does.
    with open(derived, encoding="utf-8") as data:
        version = re.match(r"# DerivedCoreProperties-(\d+\.\d+\.\d+)\.txt", data.readline())[1]
    category = categories(os.path.join(folder, "UnicodeData.txt"))
    unprintable = {point for point, value in enumerate(category) if value in UNPRINTABLE}
    unprintable.discard(0x20)  # Zs, but Python's rule and every terminal show it
    hidden = unprintable | property_points(derived, "Default_Ignorable_Code_Point") | set(SHOWN_BLANK)
    extend = property_points(derived, "Grapheme_Extend")
    blanks = ", ".join(f"U+{point:04X} {name}" for point, name in SHOWN_BLANK.items())
    hidden_comment = f"""\
// The characters shown as bytes wherever they stand: those of the general
// categories Cc, Cf, Cs, Co, Cn (unassigned), Zl, Zp, and Zs but U+0020; the
// default ignorable code points; and {blanks}."""
    extend_comment = """\
// The characters that join the one before them (Grapheme_Extend, which holds
// the categories Mn and Me): shown as bytes at the start of a text."""
    sys.stdout.write(f"""\
// SPDX-License-Identifier: GPL-2.0-or-later
// Generated from Unicode {version} (UnicodeData.txt, DerivedCoreProperties.txt)
// by src/common/make_character_tables.py; do not edit. To make it again:
//   python3 src/common/make_character_tables.py > src/common/character_tables.h
#pragma once

#include <utility>

namespace adaskel {{

// clang-format off
{table("hidden_characters", hidden_comment, hidden)}
{table("grapheme_extenders", extend_comment, extend)}// clang-format on

}}  // namespace adaskel
""")


if __name__ == "__main__":
    main()
