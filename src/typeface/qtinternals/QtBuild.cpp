#include "typeface/qtinternals/QtBuild.h"

#include <QtGui/private/qtguiglobal_p.h> // with qtgui-config_p.h, Qt's build configuration

namespace platform::qtinternals {

QtBuild qtBuild()
{
    QtBuild build;
    build.systemFreetype = QT_CONFIG(system_freetype);
    build.systemHarfbuzz = QT_CONFIG(system_harfbuzz);
    return build;
}

} // namespace platform::qtinternals
