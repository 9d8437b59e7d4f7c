#pragma once
// What the program tells about the font of a list entry: the facts read from its file, as a
// text for people (the information window) and as records for other programs (tsv or JSON).

#include "fonts/FontEntry.h"
#include "typeface/FontFacts.h"
#include "typeface/FontFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace fonts {

/// The facts of a list entry's font, or why its file cannot be read.
struct EntryFacts
{
    platform::FontFacts facts;
    platform::FontFileFault fault = platform::FontFileFault::None;
    /// An installed typeface the font system knows no file for.
    bool unknownTypeface = false;

    /// Whether the facts were read.
    bool isRead() const { return fault == platform::FontFileFault::None && !unknownTypeface; }
};

/// The facts of `entry`'s font. A folder's font is read from the file listed for it, as the
/// drawing reads it (platform::readFontFile() with the identity it was listed with: a file
/// swapped since is refused, one never listed not read), in the face the list draws; an
/// installed typeface from the file and face the font system resolves its family to
/// (platform::typefaceFile()), read within bounds. Bytes FreeType cannot open are
/// FontFileFault::Damaged. Called on the GUI thread.
EntryFacts entryFacts(const FontListEntry &entry);


/// The name of the script of ISO 15924 code `code` in German or English ("Arabisch", "Arabic").
QString scriptWords(const QString &code, bool german);

/// The facts of `entry` as the information window shows them: one "Label: value" line a fact,
/// in German or English, every name with its control characters escaped (a name never makes a
/// line of its own); a file that cannot be read says so and why.
QString factsText(const FontListEntry &entry, const EntryFacts &facts, bool german);

/// The formats of a listing for other programs.
enum class ListingFormat { Tsv, Json };

/// Why an entry's font cannot be used, in German or English; empty when it can.
using UnreadableReason = std::function<QString(const FontListEntry &entry, const EntryFacts &facts, bool german)>;

/// The reason a listing gives when it is given none: faultText() of the facts' fault.
QString factsFaultReason(const FontListEntry &entry, const EntryFacts &facts, bool german);

/// Writes the listing of `entries` with their facts to `write`, a part at a time. The files are
/// read through the same bounded, identity-checked read as the drawing's, a few at once on the
/// processor's cores (the facts of each are pure), and written in the order of `entries`. Tsv: a header line, then one line per entry,
/// fields separated by tabs, every tab, line break, backslash and control character in a field
/// escaped (util::escapeControls()). Json: an array of one object per entry, every string in it
/// well-formed (util::wellFormed(): a lone surrogate, and a byte of a path outside UTF-8, as
/// U+FFFD). Fields: name, path, family, style, version, vendor, licence, licence-url, embedding,
/// format, glyphs, scripts, axes, colour, duplicate-of, unreadable; the JSON also has path-bytes
/// and duplicate-of-bytes, the exact bytes of a path outside UTF-8 in base64 (null for any other).
/// `duplicateOf` holds, for each entry, the index of the earlier entry it duplicates, or -1
/// (missing indexes count as -1); duplicate-of names that entry's path (its name for a typeface).
/// Words (embedding, format, reasons) are German or English.
void writeFactsListing(const FontListEntries &entries, ListingFormat format, bool german,
                       const std::function<void(const QByteArray &part)> &write, const QList<qsizetype> &duplicateOf = {},
                       const UnreadableReason &reason = factsFaultReason);

/// The whole listing writeFactsListing() writes.
QByteArray factsListing(const FontListEntries &entries, ListingFormat format, bool german,
                        const QList<qsizetype> &duplicateOf = {}, const UnreadableReason &reason = factsFaultReason);

} // namespace fonts
