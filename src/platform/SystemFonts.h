#pragma once
// The typeface lists that Windows takes from the printer and the screen. On Linux a printer draws
// with the system's fonts, so both are the system font families (fontconfig through Qt), and a
// machine without any printer still has a font list.

#include <QStringList>

namespace platform {

/// The typeface names a printer can print with, in the font database's order.
QStringList printerTypefaces();

/// The typeface names the screen can show, in the font database's order.
QStringList screenTypefaces();

} // namespace platform
