#include "platform/SystemFonts.h"

#include <QFontDatabase>

namespace platform {

// Qt's database holds what fontconfig lists plus the files added for the run, one name per
// family. A family offered by several foundries appears once per foundry as "Family [Foundry]",
// and each of those names draws that foundry's faces.
static QStringList systemFamilies()
{
    return QFontDatabase::families();
}

QStringList printerTypefaces()
{
    // Printing goes through the same font files as the screen, so there is no printer-specific
    // list to ask for, and no printer is needed to have one.
    return systemFamilies();
}

QStringList screenTypefaces()
{
    return systemFamilies();
}

} // namespace platform
