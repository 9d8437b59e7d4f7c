#!/usr/bin/python3
"""Writes fonts with one table replaced by a crafted one that claims far more than a font needs.

Usage: make_crafted_fonts.py BASE OUT KIND...

BASE is a TrueType font (DejaVu Sans); each KIND is written to OUT/KIND.ttf:
  name-bomb    10,900 name records, all but four (IDs 256 and up) 65,534 bytes long, sharing one string
  fvar-bomb    an 'fvar' of 1,024 axes and 15,000 named instances, with a minimal 'gvar'
  fvar-instances  an 'fvar' of 64 axes and 3,000 named instances, with a minimal 'gvar'
  overlap      a (3,10) format-12 'cmap' of 1,000,000 identical groups: U+0000..U+10FFFF to glyph 1
  descending   a (3,10) format-12 'cmap' of the font's ASCII glyphs, its groups in descending order
  gid-past     a (3,10) format-12 'cmap' of the ASCII glyphs and U+4E00..U+4E10, which runs past the
               glyph count
  surrogates   names holding the lone surrogates D800 and DCFF
"""
import array
import struct
import sys

from fontTools.ttLib import TTFont


def checksum(data):
    data += b'\0' * (-len(data) % 4)
    return sum(struct.unpack('>%dI' % (len(data) // 4), data)) & 0xFFFFFFFF


def sfnt(tables):
    tags = sorted(tables)
    count = len(tags)
    power = max(i for i in range(17) if 2 ** i <= count)
    header = struct.pack('>IHHHH', 0x00010000, count, 16 * 2 ** power, power, 16 * count - 16 * 2 ** power)
    offset = 12 + 16 * count
    records, body = b'', b''
    for tag in tags:
        data = tables[tag]
        records += struct.pack('>4sIII', tag.encode('latin-1'), checksum(data), offset + len(body), len(data))
        body += data + b'\0' * (-len(data) % 4)
    return header + records + body


def cmap12(groups_bytes, count):
    return struct.pack('>HHI', 0, 1, 12) + struct.pack('>HHIII', 12, 0, 16 + len(groups_bytes), 0, count) + groups_bytes


def groups(triples):
    return b''.join(struct.pack('>III', *group) for group in triples)


def name_table(records, storage):
    header = struct.pack('>HHH', 0, len(records), 6 + 12 * len(records))
    return header + b''.join(struct.pack('>6H', *record) for record in records) + storage


def main():
    base_path, out, kinds = sys.argv[1], sys.argv[2], sys.argv[3:]
    font = TTFont(base_path, lazy=True)
    base = {tag: font.reader[tag] for tag in font.reader.keys()}
    glyph_count = font['maxp'].numGlyphs
    best = font.getBestCmap()
    ascii_glyphs = {c: font.getGlyphID(best[c]) for c in range(0x20, 0x7F) if c in best}

    for kind in kinds:
        tables = dict(base)
        if kind == 'name-bomb':
            length, count = 65534, 10900
            storage = ('Bomb' * (length // 4)).encode('utf-16-be')[:length]
            # The string offset is 16 bits: the record offsets add up to the strings after the records.
            start, shift = 6 + 12 * count, 65535
            records = [(3, 1, 0x409, name_id, 8, start - shift) for name_id in (1, 2, 4, 6)]
            records += [(3, 1, 0x409, 256 + i, length, start - shift) for i in range(count - 4)]
            tables['name'] = struct.pack('>HHH', 0, count, shift) + b''.join(
                struct.pack('>6H', *record) for record in records) + storage
        elif kind in ('fvar-bomb', 'fvar-instances'):
            axes, instances = (1024, 15000) if kind == 'fvar-bomb' else (64, 3000)
            axis_records = b''.join(struct.pack('>4siiiHH', b'%04d' % i, 0, 0, 0x10000, 0, 256) for i in range(axes))
            instance = struct.pack('>HH', 257, 0) + struct.pack('>i', 0x8000) * axes
            tables['fvar'] = struct.pack('>8H', 1, 0, 16, 2, axes, 20, instances, 4 + 4 * axes) + axis_records \
                + instance * instances
            offsets = 20 + 2 * (glyph_count + 1)
            tables['gvar'] = struct.pack('>HHHHIHHI', 1, 0, axes, 0, offsets, glyph_count, 0, offsets) \
                + b'\0\0' * (glyph_count + 1)
        elif kind == 'overlap':
            count = 1_000_000
            data = array.array('I', [0, 0x10FFFF, 1] * count)
            data.byteswap()
            tables['cmap'] = cmap12(data.tobytes(), count)
        elif kind == 'descending':
            triples = [(c, c, ascii_glyphs[c]) for c in sorted(ascii_glyphs, reverse=True)]
            tables['cmap'] = cmap12(groups(triples), len(triples))
        elif kind == 'gid-past':
            triples = [(c, c, ascii_glyphs[c]) for c in sorted(ascii_glyphs)] + [(0x4E00, 0x4E10, glyph_count - 5)]
            tables['cmap'] = cmap12(groups(triples), len(triples))
        elif kind == 'surrogates':
            text = 'S'.encode('utf-16-be') + b'\xd8\x00' + 'x'.encode('utf-16-be') + b'\xdc\xff' \
                + 'y'.encode('utf-16-be')
            strings = [text, 'Regular'.encode('utf-16-be'), text, 'GwSurrogates'.encode('utf-16-be')]
            records, storage = [], b''
            for name_id, string in zip((1, 2, 4, 6), strings):
                records.append((3, 1, 0x409, name_id, len(string), len(storage)))
                storage += string
            tables['name'] = name_table(records, storage)
        else:
            sys.exit('unknown kind: ' + kind)
        with open('%s/%s.ttf' % (out, kind), 'wb') as file:
            file.write(sfnt(tables))


main()
