#pragma once
// Font list entries: a system font is its typeface name; a font from a file is the name read from
// the file, " | " and the file's full path.

#include <QString>

namespace fonts {

/// The separator between a file font's name and its path in a list entry.
inline constexpr char16_t kEntrySeparator[] = u" | ";

/// The font file extensions the folder search looks for, comma-separated, in search order.
inline constexpr char16_t kFontFileExtensions[] = u".ttf,.otf,.fon,.fnt,.ttc,.fot,.mmm,.pfb,.pfm";

} // namespace fonts

/// The font name of a list entry: the text before the first " | ", or the whole entry.
QString FontNameOfEntry(const QString &entry);

/// The font file path of a list entry: the text after the first " | ", or empty for a typeface.
QString FontFileOfEntry(const QString &entry);

/// The list entry of a font file: `name` + " | " + `path`.
QString FontFileEntry(const QString &name, const QString &path);
