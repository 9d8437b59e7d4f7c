#pragma once

#include <QString>
#include <QStringList>

/// The full name (name ID 4) of the font in the TrueType/OpenType (or collection) file at `path`,
/// read from its 'name' table: the first platform-1 record of the Roman encoding in file order,
/// decoded as Mac OS Roman, else the first platform-3 record, decoded as UTF-16 big-endian; at
/// most 256 bytes of either, and a character pair cut by that limit is dropped whole. Only the
/// records the name table counts are read, and the table directory is searched no further than
/// the largest directory reaches (byte 12 + 65,535 × 16).
/// Empty when the file cannot be read, has no 'name' table or no such record. Never reads more
/// than the file holds. `path` may be longer than the system's path limit.
QString ReadFontFileName(const QString &path);

/// What the font list needs to know of a font file.
struct FontFileNames
{
    /// The entry name, as ReadFontFileName() gives it.
    QString name;
    /// Every family name (name IDs 1, 16 and 21) and full name (name ID 4) the file's name table
    /// holds, in all its languages, whole and in table order: the names under which the font
    /// system may find a face of the file. Empty when they cannot all be known: a collection, a
    /// variable font (its named instances), a file that is not a TrueType/OpenType font, a name
    /// table beyond the table directory's count, a name record in an encoding other than Unicode
    /// or Mac OS Roman, or no family or no full name.
    QStringList lookupNames;
};

/// The entry name of the font file at `path` and the names it can be looked up by (see
/// FontFileNames), read in one pass.
FontFileNames ReadFontFileNames(const QString &path);
