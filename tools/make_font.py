#!/usr/bin/env python3
"""Make canvas/font_table.cpp, the surface's bitmap font.

The face is Adobe Helvetica 8 point at 100 dpi as Debian ships it in the
xfonts-100dpi package (helvR08-ISO8859-1.pcf.gz).  The PCF file is read
here directly (gzip + struct, no other tool), and the glyphs of printable
ASCII 32..126 are written as the `font::glyphs` and `font::rows` tables
declared in canvas/font.h.

Placing the font in a 13-pixel text line: MS Sans Serif 8 at 96 dpi has a
13-pixel cell with an ascent of 11 and a descent of 2 (its 2 rows of
internal leading at the top), so its baseline lies under row 10 of the
line and its 8-pixel capitals fill rows 3..10.  This font has no
FONT_ASCENT/FONT_DESCENT properties; its accelerator table gives an ascent
of 10 and a descent of 2 (12 rows) and CAP_HEIGHT is 8.  The descent is
kept at the bottom of the line and the spare row goes on top, as the
leading does in the Windows font: BASELINE = LINE_HEIGHT - descent = 11
rows below the top of the line, so a glyph row at ascent a starts at row
11 - a, capitals fill rows 3..10 as in MS Sans Serif and descenders reach
row 12.  The script stops if the font is taller than the line or if a
glyph would stick out of it.

Usage: python3 tools/make_font.py [font.pcf.gz] [output.cpp]
The output is committed, so nothing of this runs at build time.
"""

import gzip
import os
import struct
import sys
import textwrap

FONT_PATH = "/usr/share/fonts/X11/100dpi/helvR08-ISO8859-1.pcf.gz"
FIRST_CHAR = 32
LAST_CHAR = 126
LINE_HEIGHT = 13  # font::line_height

# PCF table types.
PCF_PROPERTIES = 1 << 0
PCF_ACCELERATORS = 1 << 1
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_BDF_ACCELERATORS = 1 << 8

# Bits of a table's format word.
PCF_GLYPH_PAD_MASK = 3
PCF_BYTE_MASK = 1 << 2       # set: most significant byte first
PCF_BIT_MASK = 1 << 3        # set: most significant bit first (left pixel)
PCF_SCAN_UNIT_SHIFT = 4
PCF_COMPRESSED_METRICS = 0x100


class Table:
    """One table of a PCF file: its format word and a cursor over its data."""

    def __init__(self, data, offset, size):
        self.data = data
        self.pos = offset
        self.end = offset + size
        (self.format,) = struct.unpack_from("<i", data, offset)
        self.pos += 4
        self.order = ">" if self.format & PCF_BYTE_MASK else "<"

    def read(self, fmt):
        values = struct.unpack_from(self.order + fmt, self.data, self.pos)
        self.pos += struct.calcsize(self.order + fmt)
        if self.pos > self.end:
            sys.exit("make_font: PCF table ends too early")
        return values

    def align4(self):
        self.pos = (self.pos + 3) & ~3


class Metrics:
    def __init__(self, left, right, advance, ascent, descent):
        self.left = left          # left side bearing
        self.right = right        # right side bearing
        self.advance = advance    # character width
        self.ascent = ascent
        self.descent = descent


def read_tables(data):
    magic, count = struct.unpack_from("<4si", data, 0)
    if magic != b"\x01fcp":
        sys.exit("make_font: not a PCF file")
    tables = {}
    for i in range(count):
        kind, _format, size, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
        tables[kind] = (offset, size)
    return tables


def table(data, tables, kind):
    if kind not in tables:
        return None
    offset, size = tables[kind]
    return Table(data, offset, size)


def read_properties(t):
    (count,) = t.read("i")
    raw = [t.read("iBi") for _ in range(count)]
    t.align4()
    (string_size,) = t.read("i")
    strings = t.data[t.pos:t.pos + string_size]

    def string_at(offset):
        return strings[offset:strings.index(b"\0", offset)].decode("latin-1")

    properties = {}
    for name, is_string, value in raw:
        properties[string_at(name)] = string_at(value) if is_string else value
    return properties


def read_accelerator_extents(t):
    # noOverlap, constantMetrics, terminalFont, constantWidth, inkInside,
    # inkMetrics, drawDirection, padding; then fontAscent and fontDescent.
    t.read("8B")
    ascent, descent = t.read("ii")
    return ascent, descent


def read_metrics(t):
    if t.format & PCF_COMPRESSED_METRICS:
        (count,) = t.read("h")
        return [Metrics(*(v - 0x80 for v in t.read("5B"))) for _ in range(count)]
    (count,) = t.read("i")
    return [Metrics(*t.read("5hH")[:5]) for _ in range(count)]


def read_bitmaps(t, metrics):
    """Each glyph's rows as lists of 0/1 pixels, left to right."""
    (count,) = t.read("i")
    offsets = t.read("%di" % count)
    sizes = t.read("4i")
    pad = 1 << (t.format & PCF_GLYPH_PAD_MASK)
    unit = 1 << ((t.format >> PCF_SCAN_UNIT_SHIFT) & 3)
    size = sizes[t.format & PCF_GLYPH_PAD_MASK]
    bits = bytearray(t.data[t.pos:t.pos + size])

    # Bring the bits to most-significant-bit-first, byte by byte.
    if not t.format & PCF_BIT_MASK:
        bits = bytearray(int("{:08b}".format(b)[::-1], 2) for b in bits)
    if bool(t.format & PCF_BYTE_MASK) != bool(t.format & PCF_BIT_MASK) and unit > 1:
        for i in range(0, len(bits) - unit + 1, unit):
            bits[i:i + unit] = bits[i:i + unit][::-1]

    glyphs = []
    for index, m in enumerate(metrics[:count]):
        width = m.right - m.left
        height = m.ascent + m.descent
        stride = ((width + 7) // 8 + pad - 1) // pad * pad
        rows = []
        for y in range(height):
            start = offsets[index] + y * stride
            rows.append([(bits[start + x // 8] >> (7 - x % 8)) & 1 for x in range(width)])
        glyphs.append(rows)
    return glyphs


def read_encodings(t):
    """Map from character code to glyph index (single-byte fonts)."""
    min2, max2, min1, max1, _default = t.read("5h")
    if min1 != 0 or max1 != 0:
        sys.exit("make_font: expected a single-byte font")
    indices = t.read("%dH" % (max2 - min2 + 1))
    return {min2 + i: g for i, g in enumerate(indices) if g != 0xFFFF}


def ink_box(rows):
    """(first column, first row, columns, rows) of the inked pixels; None if blank."""
    inked = [(x, y) for y, row in enumerate(rows) for x, p in enumerate(row) if p]
    if not inked:
        return None
    xs = [x for x, _ in inked]
    ys = [y for _, y in inked]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def char_comment(c):
    return "'%s'" % chr(c)


def main():
    font_path = sys.argv[1] if len(sys.argv) > 1 else FONT_PATH
    here = os.path.dirname(os.path.abspath(__file__))
    out_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        here, "..", "canvas", "font_table.cpp")

    with gzip.open(font_path, "rb") as f:
        data = f.read()
    tables = read_tables(data)
    properties = read_properties(table(data, tables, PCF_PROPERTIES))
    accelerators = (table(data, tables, PCF_BDF_ACCELERATORS)
                    or table(data, tables, PCF_ACCELERATORS))
    ascent, descent = read_accelerator_extents(accelerators)
    ascent = properties.get("FONT_ASCENT", ascent)
    descent = properties.get("FONT_DESCENT", descent)
    if ascent + descent > LINE_HEIGHT:
        sys.exit("make_font: font ascent %d + descent %d is taller than a %d-pixel line"
                 % (ascent, descent, LINE_HEIGHT))
    baseline = LINE_HEIGHT - descent  # rows from the top of the line to the baseline

    metrics = read_metrics(table(data, tables, PCF_METRICS))
    bitmaps = read_bitmaps(table(data, tables, PCF_BITMAPS), metrics)
    encoding = read_encodings(table(data, tables, PCF_BDF_ENCODINGS))

    glyph_lines = []
    row_lines = []
    offset = 0
    for c in range(FIRST_CHAR, LAST_CHAR + 1):
        if c not in encoding:
            sys.exit("make_font: the font has no glyph for %r" % chr(c))
        m = metrics[encoding[c]]
        rows = bitmaps[encoding[c]]
        box = ink_box(rows)
        if box is None:
            left = top = width = height = 0
            words = []
        else:
            x0, y0, width, height = box
            left = m.left + x0
            top = baseline - m.ascent + y0
            words = [sum(p << x for x, p in enumerate(row[x0:x0 + width]))
                     for row in rows[y0:y0 + height]]
        if top < 0 or top + height > LINE_HEIGHT or width > 16 or left < -128:
            sys.exit("make_font: %r does not fit the line" % chr(c))
        if not 0 < m.advance < 256:
            sys.exit("make_font: %r has advance %d" % (chr(c), m.advance))
        glyph_lines.append("    {%2d, %2d, %2d, %2d, %2d, %4d},  // %s"
                           % (m.advance, left, top, width, height, offset,
                              char_comment(c)))
        row_lines.append("    %s  // %s" % (
            "".join("0x%03x, " % w for w in words).rstrip(),
            char_comment(c)) if words else "    // %s: no ink" % char_comment(c))
        offset += len(words)
    if offset > 0xFFFF:
        sys.exit("make_font: too many rows for 16-bit offsets")

    source = os.path.basename(font_path)
    text = """\
// Generated by tools/make_font.py from {source} of the Debian
// package xfonts-100dpi: Adobe Helvetica 8 point at 100 dpi,
// {xlfd}.
// Do not edit by hand: change the script and run it again.
//
{copyright}
// The font's copyright and permission notice are in canvas/FONT-NOTICE.
//
// Baseline {baseline} rows below the top of the {line}-pixel line: the font's
// descent of {descent} at the bottom, its ascent of {ascent} above the baseline
// and the spare row on top, as in MS Sans Serif 8.

#include "canvas/font.h"

namespace font {{

// advance, left, top, width, height, offset
const Glyph glyphs[last_char - first_char + 1] = {{
{glyphs}
}};

// Inked rows of each glyph, top to bottom; bit 0 is the left column.
const std::uint16_t rows[] = {{
{rows}
}};

}}  // namespace font
""".format(source=source,
           xlfd=properties.get("FONT", "?"),
           copyright="\n".join("// " + line for line in textwrap.wrap(
               "Font: " + properties.get("COPYRIGHT", ""), 75)),
           baseline=baseline, line=LINE_HEIGHT, ascent=ascent, descent=descent,
           glyphs="\n".join(glyph_lines), rows="\n".join(row_lines))
    with open(out_path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main()
