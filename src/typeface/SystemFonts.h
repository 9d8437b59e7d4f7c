#pragma once
// The typeface lists that Windows takes from the printer and the screen. On Linux a printer draws
// with the system's fonts, so both are the system font families (fontconfig through Qt), and a
// machine without any printer still has a font list.

#include <QString>
#include <QStringList>

namespace platform {

/// The typeface names a printer can print with, in the font database's order, each family once
/// under its own name.
QStringList printerTypefaces();

/// The typeface names the screen can show, in the font database's order, each family once under
/// its own name.
QStringList screenTypefaces();

/// The family of a name from Qt's font database, which qualifies a family that several foundries
/// offer by the foundry ("C059 [urw]" gives "C059"); other names as they are.
QString familyWithoutFoundry(const QString &name);

} // namespace platform
