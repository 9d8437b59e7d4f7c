#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace ui {

/// Draws the program's logo with its name `name` into a pixmap of `size`: a row of letter
/// tiles over the name, in the program's blues.
QPixmap drawLogo(const QString &name, QSize size);

/// The desktop entry's id (its file name without ".desktop"), also the icon's name.
inline constexpr const char *desktopId = "com.velmont_media.Glyphworks";

/// The application icon in all its sizes, from the program's resources, so it is the same
/// installed or run from the build tree.
QIcon applicationIcon();

} // namespace ui
