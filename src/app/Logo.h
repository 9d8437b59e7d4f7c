#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace app {

/// Draws the program's logo with its name `name` into a pixmap of `size`: a row of letter
/// tiles over the name, in the program's blues.
QPixmap drawLogo(const QString &name, QSize size);

} // namespace app
