#include "platform/Printers.h"

#include <QPrinterInfo>

namespace platform {

QStringList installedPrinters()
{
    return QPrinterInfo::availablePrinterNames();
}

} // namespace platform
