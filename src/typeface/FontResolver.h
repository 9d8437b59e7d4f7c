#pragma once
// Turns the name a font list entry holds (a family name, or a full name such as
// "DejaVu Sans Bold" read from a font file) into a QFont that draws that font's own face.
// Qt alone does not resolve full names, so names are looked up through fontconfig and turned
// into family and style. A folder's fonts are not drawn by name (see platform::FileFaces).

#include <QFont>
#include <QString>

namespace platform {

/// The font for the list entry name `name` at `pointSize` points. A family name resolves as
/// itself; a full name resolves to its family and style. `bold` and `italic` ask for the bold or
/// italic variant on top, as a drawing font's style does. An unknown name gives Qt's fallback
/// for that family name.
QFont resolveFont(const QString &name, qreal pointSize, bool bold = false, bool italic = false);

} // namespace platform
