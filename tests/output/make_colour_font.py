#!/usr/bin/python3
"""Makes a small font with colour layers (COLR/CPAL) from a real font's glyphs.

Usage: make_colour_font.py SOURCE.ttf TARGET.ttf FAMILY

The target holds the source's space and "ABC" as plain outlines, and two colour glyphs drawn in
layers of the source's geometric shapes, which no other character maps to: U+1F600 (a yellow circle with a red square in it) and
U+1F389 (a blue square). Its names are FAMILY.
"""
import sys

from fontTools import subset
from fontTools.colorLib.builder import buildCOLR, buildCPAL
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

CIRCLE, SQUARE, SMALL_SQUARE = 0x25CF, 0x25A0, 0x25AA


def main(source, target, family):
    font = TTFont(source)
    options = subset.Options()
    options.name_IDs = [1, 2, 3, 4, 6]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[0x20, 0x41, 0x42, 0x43, CIRCLE, SQUARE, SMALL_SQUARE])
    subsetter.subset(font)

    cmap = dict(font.getBestCmap())
    circle, square, small = cmap[CIRCLE], cmap[SQUARE], cmap[SMALL_SQUARE]
    # The shapes are glyphs of the colour glyphs alone, as in a colour font.
    for shape in (CIRCLE, SQUARE, SMALL_SQUARE):
        del cmap[shape]
    cmap[0x1F600] = circle
    cmap[0x1F389] = square
    # The colour glyphs lie beyond the Basic Multilingual Plane: a format 12 table maps them.
    tables = []
    for format_, platform, encoding in ((4, 3, 1), (12, 3, 10)):
        table = CmapSubtable.newSubtable(format_)
        table.platformID, table.platEncID, table.language = platform, encoding, 0
        table.cmap = {c: g for c, g in cmap.items() if format_ == 12 or c <= 0xFFFF}
        tables.append(table)
    font["cmap"].tables = tables

    # Palette: yellow, red, blue (RGBA, 0..1).
    font["CPAL"] = buildCPAL([[(1.0, 0.85, 0.0, 1.0), (0.9, 0.1, 0.1, 1.0), (0.1, 0.3, 0.95, 1.0)]])
    font["COLR"] = buildCOLR({circle: [(circle, 0), (small, 1)], square: [(square, 2)]})

    names = font["name"]
    names.removeNames(nameID=16)
    names.removeNames(nameID=17)
    postscript = family.replace(" ", "-")
    for name_id, value in ((1, family), (2, "Regular"), (3, postscript), (4, family), (6, postscript)):
        names.setName(value, name_id, 3, 1, 0x409)
        names.setName(value, name_id, 1, 0, 0)
    font.save(target)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
