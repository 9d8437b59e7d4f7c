#!/usr/bin/python3
"""Makes a tiny variable TrueType font.

Usage: make_variable_font.py TARGET.ttf FAMILY

The font maps "A" and "B" to squares, has a weight axis from 100 to 900 (default 400) along which
"A" grows, two named instances ("Thin" at 100, "Black" at 900), names of its maker and licence,
and an fsType that allows embedding for preview and print only, without subsetting.
"""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables.TupleVariation import TupleVariation


def square(size):
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((100, size))
    pen.lineTo((100 + size, size))
    pen.lineTo((100 + size, 0))
    pen.closePath()
    return pen.glyph()


def main(target, family):
    order = [".notdef", "space", "A", "B"]
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap({0x20: "space", 0x41: "A", 0x42: "B"})
    empty = TTGlyphPen(None).glyph()
    builder.setupGlyf({".notdef": square(400), "space": empty, "A": square(500), "B": square(600)})
    builder.setupHorizontalMetrics({name: (800, 100 if name != "space" else 0) for name in order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    builder.setupNameTable({
        "familyName": family,
        "styleName": "Regular",
        "uniqueFontIdentifier": family + " Regular",
        "fullName": family + " Regular",
        "psName": family.replace(" ", "") + "-Regular",
        "version": "Version 2.500",
        "manufacturer": "Gw Foundry",
        "designer": "Gw Designer",
        "licenseDescription": "Gw licence text",
        "licenseInfoURL": "https://example.org/licence",
    })
    # Preview & print (bit 2) and no subsetting (bit 8).
    builder.setupOS2(fsType=0x0104, sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    builder.setupPost()
    builder.setupFvar(
        axes=[("wght", 100, 400, 900, "Weight")],
        instances=[
            {"location": {"wght": 100}, "stylename": "Thin"},
            {"location": {"wght": 900}, "stylename": "Black"},
        ],
    )
    # "A" grows towards the heavy end; glyf points plus the four phantom points.
    deltas = [(0, 0), (0, 100), (100, 100), (100, 0), (0, 0), (0, 0), (0, 0), (0, 0)]
    builder.setupGvar({"A": [TupleVariation({"wght": (0, 1.0, 1.0)}, deltas)]})
    builder.save(target)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
