#pragma once
// Building the font list: the system's typefaces and the fonts of the files of a folder tree.
// Kept apart from the window so it can be driven with plain inputs.

#include "fonts/FontEntry.h"
#include "typeface/FontFile.h"

#include <QCollator>
#include <QString>
#include <QStringList>

namespace fonts {

/// Where the loader makes font files available and announces it: the run's font resources in the
/// program, a recorder in tests.
class FontSink
{
public:
    virtual ~FontSink() = default;
    /// Makes the font file at `path` available for the run. Returns `path` as the sink holds
    /// it: a file added again on every reload is then kept in memory once.
    virtual QString addFontFile(const QString &path) = 0;
    /// Records that the font file at `path` was listed as the file `identity` (every file found,
    /// added or not), so that it is drawn from that file and no other, in its font `face` (the
    /// one of a collection whose name the entry shows).
    virtual void listFontFile(const QString &path, const platform::FileIdentity &identity, int face) = 0;
    /// Announces that the set of fonts changed.
    virtual void postFontChange() = 0;
};

/// What a load reads: the two source switches and the folder text.
struct LoadRequest
{
    bool system = true;
    bool folder = false;
    QString folderText;
};

/// The entries of a load, unsorted, without the entries that begin with "@".
/// System typefaces come from `systemTypefaces` (asked only when the system source is on);
/// each font file found below the folder gives the entry of its name and path (shown as
/// name + " | " + path, the file kept as found), and a file whose
/// name `installedFonts` does not hold (ignoring case) is added through `sink` and appended to
/// `fileFontPaths`; every file found is listed with `sink`. One font change notice goes out per file.
FontListEntries loadFontEntries(const LoadRequest &request, const QStringList &systemTypefaces,
                                const QStringList &installedFonts, QStringList &fileFontPaths, FontSink &sink);

/// Removes, from the last entry to the first, every entry whose text begins with "@".
void removeVerticalFontEntries(FontListEntries &entries);

/// The collation the list is sorted by: that of the interface language (German when `german`,
/// else English), ignoring case.
QCollator entryCollator(bool german);

/// Sorts entries alphabetically by their texts in `collator`; entries it holds equal keep their
/// order side by side. Each entry's name and file move with its text.
void sortEntries(FontListEntries &entries, const QCollator &collator);

/// The font count text: the number followed by " Schriftarten wurden entdeckt!" (German) or
/// " Fonts Detected!".
QString fontCountText(qsizetype count, bool german);

/// The typeface names the system already offers: the printer's names in their order (duplicates
/// kept), then each screen name not yet in the list, ignoring case.
QStringList buildInstalledFonts(const QStringList &printerTypefaces, const QStringList &screenTypefaces);

} // namespace fonts
