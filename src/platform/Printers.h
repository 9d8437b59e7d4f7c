#pragma once
// The installed printers, through Qt's print support (CUPS on Linux).

#include <QStringList>

namespace platform {

/// The names of the installed printers in the order the print system lists them; empty when
/// there is none.
QStringList installedPrinters();

} // namespace platform
