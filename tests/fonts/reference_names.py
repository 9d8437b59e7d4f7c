#!/usr/bin/python3
"""Prints the full font name of each font file given, derived independently of the C++ reader.

The name table is read with fontTools; the first record (in file order) with platform 1,
encoding 0 (Roman) and name ID 4 is used, else the first with platform 3 and name ID 4. Its raw
bytes are cut to 256. A platform 1 name ends at the first zero byte and is decoded as Mac Roman;
a platform 3 name is decoded as UTF-16 big-endian, where an odd last byte and a high surrogate
left at the end by the cut are dropped and any other unpaired surrogate becomes U+FFFD.

Output: one line per file, "path<TAB>hex of the UTF-8 name", in argument order, so that NUL
characters and tabs in a name survive. A file fontTools cannot read gives an empty hex field.
"""

import sys

from fontTools.ttLib import TTFont

BUFFER_SIZE = 256


def utf16_be(data):
    data = data[:len(data) // 2 * 2]
    if len(data) >= 2 and 0xD8 <= data[-2] <= 0xDB:
        data = data[:-2]
    return data.decode("utf-16-be", "replace")


def full_name(path):
    font = TTFont(path, lazy=True, fontNumber=0)
    try:
        names = font["name"].names
    except KeyError:
        return ""
    for platform, wanted in ((1, lambda r: r.platEncID == 0), (3, lambda r: True)):
        for record in names:
            if record.platformID == platform and record.nameID == 4 and wanted(record):
                raw = record.string
                if isinstance(raw, str):  # should not happen after decompile; be explicit
                    raise TypeError("name record was decoded: %r" % raw)
                held = raw[:BUFFER_SIZE]
                if platform == 1:
                    return held.split(b"\0", 1)[0].decode("mac_roman")
                return utf16_be(held)
    return ""


def main(paths):
    out = sys.stdout.buffer
    for path in paths:
        try:
            name = full_name(path)
        except Exception as error:  # report and go on; the caller compares every file
            print("%s: %s" % (path, error), file=sys.stderr)
            name = ""
        out.write(path.encode("utf-8", "surrogateescape") + b"\t"
                  + name.encode("utf-8").hex().encode("ascii") + b"\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
