#pragma once
// Questions asked of the whole font list, each answered per entry: which fonts cannot show a
// text, which files repeat an earlier one, which files cannot be used. The list's marks and the
// command line's filters act on the answers.

#include "fonts/FontEntry.h"
#include "typeface/FontFile.h"

#include <QList>
#include <QString>

namespace fonts {

/// For each of `entries`, whether its font cannot show `text`: it lacks a character of it in its
/// character map (spaces and controls left out; no other font stands in), or, for a font file,
/// the file cannot be used. A font file is judged by its own map, an installed typeface by the
/// font system's character set for it (CharacterMaps). Every map is read once and kept.
QList<bool> cannotShow(const FontListEntries &entries, const QString &text);

/// For each of `entries`, the index of the first entry whose font file is the same as its own,
/// or -1 (for the first of each group, for typefaces and for files that cannot be read). Two
/// files are the same when they hold the same bytes, or the same font: the same PostScript name,
/// version string and glyph count. Only files listed as they still are take part. Equal bytes
/// give an equal signature, so only files without one (Type 1 and bitmap fonts) are read whole,
/// and only where another such file of the same size is listed; they are compared byte by byte
/// where their hashes agree.
QList<qsizetype> duplicateOf(const FontListEntries &entries);

/// The font file entries of `entries` whose file cannot be used (the faults drawing meets).
QList<bool> unreadable(const FontListEntries &entries);

/// Why `entry`'s font file cannot be used, in German or English; empty when it can, and for a
/// typeface.
QString unreadableReason(const FontListEntry &entry, bool german);

/// The words for `fault` in German or English; empty for FontFileFault::None.
QString faultText(platform::FontFileFault fault, bool german);

/// "12 fonts marked" or "12 Schriften markiert" (one font, none, in both languages).
QString markedCountText(qsizetype count, bool german);

/// The entries of `entries` that can show `text` (cannotShow() false), in their order.
FontListEntries coveringEntries(const FontListEntries &entries, const QString &text);

/// `entries` without the later files of each duplicate group (duplicateOf()), in their order.
FontListEntries withoutDuplicates(const FontListEntries &entries);

} // namespace fonts
