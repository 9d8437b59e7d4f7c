#!/usr/bin/python3
"""Prints the full font name of each font file given, derived independently of the C++ reader.

The name table is read with fontTools; the first record (in file order) with platform 1 and
name ID 4 is used, else the first with platform 3 and name ID 4. Its raw bytes are cut to 256;
a platform 1 name ends at the first zero byte, a platform 3 name keeps the low-order byte of each
16-bit character. The bytes are decoded as Windows-1252, the five bytes that code page leaves
undefined keeping their own value.

Output: one line per file, "path<TAB>hex of the UTF-8 name", in argument order, so that NUL
characters and tabs in a name survive. A file fontTools cannot read gives an empty hex field.
"""

import sys

from fontTools.ttLib import TTFont

BUFFER_SIZE = 256
UNDEFINED_IN_CP1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def cp1252(data):
    return "".join(chr(b) if b in UNDEFINED_IN_CP1252 else bytes([b]).decode("cp1252")
                   for b in data)


def full_name(path):
    font = TTFont(path, lazy=True, fontNumber=0)
    try:
        names = font["name"].names
    except KeyError:
        return ""
    for platform in (1, 3):
        for record in names:
            if record.platformID == platform and record.nameID == 4:
                raw = record.string
                if isinstance(raw, str):  # should not happen after decompile; be explicit
                    raise TypeError("name record was decoded: %r" % raw)
                held = raw[:BUFFER_SIZE]
                if platform == 1:
                    data = held.split(b"\0", 1)[0]
                else:
                    data = held[1::2]
                return cp1252(data)
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
