#pragma once

#include "typeface/FontFile.h"

#include <QString>
#include <QStringList>

/// The full name (name ID 4) of the font in the TrueType/OpenType (or collection) file at `path`,
/// read from its 'name' table: the first platform-1 record of the Roman encoding in file order,
/// decoded as Mac OS Roman, else the first platform-3 record, decoded as UTF-16 big-endian; at
/// most 256 bytes of either, and a character pair cut by that limit is dropped whole. Only the
/// records the name table counts are read, at most platform::kMaxNameRecords, and the table
/// directory is searched no further than the largest directory reaches (byte 12 + 65,535 × 16).
/// Empty when the file cannot be read, has no 'name' table or no such record. Never reads more
/// than the file holds. `path` may be longer than the system's path limit.
QString ReadFontFileName(const QString &path);

/// What the font list needs to know of a font file.
struct FontFileNames
{
    /// The entry name, as ReadFontFileName() gives it.
    QString name;
    /// The file the path led to when its name was read; unknown when it could not be opened.
    platform::FileIdentity identity;
    /// The font of a collection the name was read from (its index in the collection), which is
    /// the face the entry is drawn in; 0 for a single font, or when no name table was found.
    int face = 0;
};

/// The entry name of the font file at `path` and the file it was read from, in one opening.
FontFileNames ReadFontFileNames(const QString &path);

/// What tells one font file's font from another's without reading the whole file.
struct FontFileSignature
{
    /// The file the path led to; unknown when no regular file could be opened there.
    platform::FileIdentity identity;
    /// The file's size in bytes; -1 when it could not be opened.
    qint64 size = -1;
    /// The font's PostScript name (name ID 6) and version string (name ID 5); empty when the
    /// file is no TrueType/OpenType font or collection, or lacks them.
    QString postScriptName;
    QString version;
    /// The glyph count of its 'maxp' table; -1 when it has none.
    int glyphCount = -1;
};

/// The signature of font `face` (its index in a collection, 0 for a single font) of the file at
/// `path`, read in one opening (non-blocking, regular files only) from the table directory, the
/// 'name' and 'maxp' tables: a few small reads, never more than the file holds. Names are read
/// from at most platform::kMaxNameRecords records, each cut to platform::kMaxNameBytes; a
/// Windows (Unicode) record wins over a Macintosh Roman one.
FontFileSignature ReadFontFileSignature(const QString &path, int face);
