#!/usr/bin/python3
"""Makes a collection of distinct font files for the benches: copies of Debian's DejaVu,
Liberation and Noto fonts, cut down to Latin and each renamed to a family of its own.

Every source font with the whole of printable ASCII and Latin-1's letters is subset once (U+0020-007E, U+00A0-00FF);
copy number i (1-based) of a source then gets the family "Bench NNNNN" (name IDs 1 and 16), the
full name "Bench NNNNN <style>" (ID 4), the PostScript name "BenchNNNNN-<style>" (ID 6) and a
unique ID of its own (ID 3). A copy differs from its subset only in the name table, which is
written here byte by byte, so thousands of copies take seconds rather than a full font compile
each. The files go 100 to a folder, ten folders to a group: BASE/COUNT/gGGG/fFFFF/BenchNNNNN-Style.ttf.

Each collection of COUNT files goes to BASE/COUNT. The list of its files, with each one's family,
full name and style, is written last to BASE/COUNT/manifest.tsv, so a collection without it is
incomplete and made anew; one that is complete is left as it is.

Usage: make_distinct_fonts.py BASE COUNT... [--jobs N]
"""

import argparse
import glob
import io
import os
import shutil
import struct
import sys
import time
from multiprocessing import Pool

from fontTools import subset
from fontTools.ttLib import TTFont

# Raised whenever what the files hold changes, so that cached collections are made anew.
GENERATOR_VERSION = 2

SOURCE_FOLDERS = ["dejavu", "liberation2", "noto"]
FONT_ROOT = "/usr/share/fonts/truetype"
LATIN = list(range(0x20, 0x7F)) + list(range(0xA0, 0x100))
LETTERS = list(range(0x20, 0x7F)) + list(range(0xC0, 0x100))
PER_FOLDER = 100
FOLDERS_PER_GROUP = 10
# Name IDs kept by the subset: copyright, family, style, unique ID, full name, version,
# PostScript name, typographic family and style.
KEPT_NAME_IDS = [0, 1, 2, 3, 4, 5, 6, 16, 17]


def source_files():
    """The installed TrueType/OpenType files of the three packages that hold every printable
    ASCII character and every accented letter of Latin-1 (U+00C0-00FF, as the sheets' sample
    text has umlauts) and are not variable fonts, in a fixed order."""
    files = []
    for folder in SOURCE_FOLDERS:
        for path in sorted(glob.glob(os.path.join(FONT_ROOT, folder, "*.[ot]tf"))):
            if not os.path.isfile(path):
                continue
            font = TTFont(path, lazy=True)
            cmap = font.getBestCmap() or {}
            complete = all(c in cmap for c in LETTERS)
            if complete and "fvar" not in font:
                files.append(path)
            font.close()
    return files


def subset_source(path):
    """The Latin subset of the font at `path` as bytes, with its style name."""
    options = subset.Options()
    options.name_IDs = KEPT_NAME_IDS
    options.layout_features = ["*"]
    options.notdef_outline = True
    options.recalc_timestamp = False
    # FontForge's time stamps, which the subsetter cannot subset and drops with a warning each.
    options.drop_tables = options.drop_tables + ["FFTM"]
    font = subset.load_font(path, options, lazy=False)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=LATIN)
    subsetter.subset(font)
    out = io.BytesIO()
    subset.save_font(font, out, options)
    data = out.getvalue()
    font = TTFont(io.BytesIO(data))
    name = font["name"]
    style = name.getDebugName(17) or name.getDebugName(2) or "Regular"
    return data, style


def checksum(data):
    """The OpenType checksum of `data` (zero-padded to a multiple of four bytes)."""
    padded = data + b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(padded) // 4), padded)) & 0xFFFFFFFF


class Template:
    """A subset font split into its tables, ready to be written with other names."""

    def __init__(self, data, style):
        self.style = style
        self.sfnt_version = data[:4]
        count = struct.unpack(">H", data[4:6])[0]
        self.tables = {}
        for i in range(count):
            tag, _, offset, length = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
            self.tables[tag] = data[offset:offset + length]
        head = bytearray(self.tables[b"head"])
        head[8:12] = b"\0\0\0\0"
        self.tables[b"head"] = bytes(head)
        self.sums = {tag: checksum(table) for tag, table in self.tables.items()}
        self.names = self._name_records(self.tables[b"name"])

    @staticmethod
    def _name_records(table):
        """The records of a name table as (platform, encoding, language, id, bytes)."""
        _, count, strings = struct.unpack(">HHH", table[:6])
        records = []
        for i in range(count):
            platform, encoding, language, name_id, length, offset = struct.unpack(
                ">HHHHHH", table[6 + 12 * i:18 + 12 * i])
            records.append((platform, encoding, language, name_id,
                            table[strings + offset:strings + offset + length]))
        return records

    def renamed(self, number):
        """The font as copy `number`: a family, full name, PostScript name and unique ID of its
        own; every other table unchanged."""
        family = "Bench %05d" % number
        full = "%s %s" % (family, self.style)
        postscript = "Bench%05d-%s" % (number, "".join(c for c in self.style if c.isalnum()))
        replaced = {1: family, 3: full + ";bench", 4: full, 6: postscript, 16: family}
        records = []
        for platform, encoding, language, name_id, value in self.names:
            if name_id in replaced:
                text = replaced[name_id]
                value = text.encode("mac_roman") if platform == 1 else text.encode("utf-16-be")
            records.append((platform, encoding, language, name_id, value))
        records.sort(key=lambda r: r[:4])
        header = struct.pack(">HHH", 0, len(records), 6 + 12 * len(records))
        entries = []
        storage = bytearray()
        for platform, encoding, language, name_id, value in records:
            entries.append(struct.pack(">HHHHHH", platform, encoding, language, name_id, len(value),
                                       len(storage)))
            storage += value
        name = header + b"".join(entries) + bytes(storage)
        return self._assemble(name), family, full

    def _assemble(self, name):
        """The whole font file with `name` as its name table."""
        tables = dict(self.tables)
        tables[b"name"] = name
        sums = dict(self.sums)
        sums[b"name"] = checksum(name)
        tags = sorted(tables)
        count = len(tags)
        power = 1
        while power * 2 <= count:
            power *= 2
        search_range = power * 16
        header = struct.pack(">4sHHHH", self.sfnt_version, count, search_range,
                             power.bit_length() - 1, count * 16 - search_range)
        offset = 12 + 16 * count
        directory = []
        body = []
        for tag in tags:
            table = tables[tag]
            directory.append(struct.pack(">4sIII", tag, sums[tag], offset, len(table)))
            padded = table + b"\0" * (-len(table) % 4)
            body.append(padded)
            offset += len(padded)
        front = header + b"".join(directory)
        total = (checksum(front) + sum(sums.values())) & 0xFFFFFFFF
        adjustment = (0xB1B0AFBA - total) & 0xFFFFFFFF
        head_index = tags.index(b"head")
        head = bytearray(body[head_index])
        head[8:12] = struct.pack(">I", adjustment)
        body[head_index] = bytes(head)
        return front + b"".join(body)


# Each worker's templates, set once by init_worker().
_templates = []


def init_worker(subsets):
    global _templates
    _templates = [Template(data, style) for data, style, _ in subsets]


def relative_path(number, style, suffix):
    """Where copy `number` (1-based) goes below the collection's root."""
    index = number - 1
    folder = index // PER_FOLDER
    group = folder // FOLDERS_PER_GROUP
    safe_style = "".join(c for c in style if c.isalnum()) or "Regular"
    return os.path.join("g%03d" % group, "f%04d" % folder, "Bench%05d-%s%s" % (number, safe_style, suffix))


def write_copies(job):
    """Writes the copies numbered in `job` = (root, first, last, suffixes) and returns their
    manifest lines."""
    root, first, last, suffixes = job
    lines = []
    for number in range(first, last + 1):
        which = (number - 1) % len(_templates)
        template = _templates[which]
        data, family, full = template.renamed(number)
        relative = relative_path(number, template.style, suffixes[which])
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        lines.append("%s\t%s\t%s\t%s\n" % (relative, family, full, template.style))
    return lines


def is_complete(root, stamp):
    """Whether the collection at `root` was made whole by this version of the generator."""
    manifest = os.path.join(root, "manifest.tsv")
    if not os.path.isfile(manifest):
        return False
    with open(manifest, encoding="utf-8") as existing:
        return existing.readline() == stamp


def make_collection(root, count, subsets, jobs):
    """Writes `count` renamed copies of `subsets` below `root`, then the manifest."""
    if os.path.isdir(root):
        shutil.rmtree(root)
    os.makedirs(root)
    suffixes = [os.path.splitext(path)[1].lower() for _, _, path in subsets]
    chunk = 250
    work = [(root, first, min(first + chunk - 1, count), suffixes) for first in range(1, count + 1, chunk)]
    lines = []
    with Pool(jobs, initializer=init_worker, initargs=(subsets,)) as pool:
        for part in pool.imap(write_copies, work):
            lines.extend(part)
    manifest = os.path.join(root, "manifest.tsv")
    partial = manifest + ".part"
    with open(partial, "w", encoding="utf-8") as out:
        out.write(stamp_of(count))
        out.writelines(lines)
    os.replace(partial, manifest)


def stamp_of(count):
    """The first line of a collection's manifest."""
    return "# bench fonts %d %d\n" % (GENERATOR_VERSION, count)


def main():
    parser = argparse.ArgumentParser(description="Makes collections of distinct font files.")
    parser.add_argument("base", help="folder of the collections, one folder per size")
    parser.add_argument("counts", type=int, nargs="+", help="sizes of the collections")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    if any(count < 1 for count in args.counts):
        parser.error("the sizes must be positive")

    base = os.path.abspath(args.base)
    missing = [count for count in args.counts
               if not is_complete(os.path.join(base, str(count)), stamp_of(count))]
    for count in sorted(set(args.counts) - set(missing)):
        print("collection of %d files in %s is there" % (count, os.path.join(base, str(count))))
    if not missing:
        return 0

    started = time.monotonic()
    sources = source_files()
    if not sources:
        print("no source fonts below %s (fonts-dejavu-core, fonts-liberation2, fonts-noto-core)" % FONT_ROOT,
              file=sys.stderr)
        return 1
    with Pool(args.jobs) as pool:
        subsets = [(data, style, path) for (data, style), path in zip(pool.map(subset_source, sources), sources)]
    print("%d source fonts subset to Latin in %.1f s" % (len(sources), time.monotonic() - started))

    for count in sorted(set(missing)):
        begun = time.monotonic()
        root = os.path.join(base, str(count))
        make_collection(root, count, subsets, args.jobs)
        print("collection of %d files made in %.1f s in %s" % (count, time.monotonic() - begun, root))
    return 0


if __name__ == "__main__":
    sys.exit(main())
