#pragma once
// Font list entries: a system font is its typeface name; a font from a file is the name read from
// the file, " | " and the file's full path. The text is what people read; the name and the file
// are kept beside it as the load found them, since a font's name may itself hold " | ".

#include <QList>
#include <QString>

namespace fonts {

/// The separator between a file font's name and its path in a list entry.
inline constexpr char16_t kEntrySeparator[] = u" | ";

/// The font file extensions the folder search looks for, comma-separated, in search order.
inline constexpr char16_t kFontFileExtensions[] = u".ttf,.otf,.fon,.fnt,.ttc,.fot,.mmm,.pfb,.pfm";

/// One entry of the font list as a load recorded it. Every part of the program that needs the
/// entry's font or file takes it from here, never from the text: a font named
/// "A | /elsewhere.ttf" is still the font of its own file.
struct FontListEntry
{
    QString text; ///< the line shown: the name, or the name, " | " and the path
    QString name; ///< the font's name: the typeface name, or the name read from the file
    QString path; ///< the listed font file; empty for a typeface

    /// The entry of the installed typeface `name`.
    static FontListEntry typeface(const QString &name);
    /// The entry of the font file listed at `path`, whose name read from the file is `name`.
    static FontListEntry file(const QString &name, const QString &path);

    /// Whether the entry is a font file's.
    bool isFile() const { return !path.isEmpty(); }

    friend bool operator==(const FontListEntry &, const FontListEntry &) = default;
};

using FontListEntries = QList<FontListEntry>;

/// The texts of `entries`, in their order.
QStringList entryTexts(const FontListEntries &entries);

} // namespace fonts

/// The font name of an entry known only as its text: the text before the first " | ", or the
/// whole entry. The list keeps each entry's name (fonts::FontListEntry::name); this rule is for
/// texts without a record, such as typeface names.
QString FontNameOfEntry(const QString &entry);

/// The list entry text of a font file: `name` + " | " + `path`.
QString FontFileEntry(const QString &name, const QString &path);
