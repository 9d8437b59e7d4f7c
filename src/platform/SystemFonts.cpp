#include "platform/SystemFonts.h"

#include "platform/SampleBoxFace.h"

#include <QFontDatabase>
#include <QSet>

namespace platform {

// Qt's database holds what fontconfig lists. A family offered by several foundries appears there once per foundry as "Family [Foundry]"; the typeface lists name
// it once, by its family name, which draws a face of that family as a printer's typeface does.
static QStringList systemFamilies()
{
    // A folder's fonts are drawn from their files and never registered, so the list holds the
    // installed families alone, whatever was loaded before; the one face registered for the
    // sample boxes is no typeface of the system either.
    QStringList families;
    QSet<QString> listed;
    for (const QString &name : QFontDatabase::families()) {
        const QString family = familyWithoutFoundry(name);
        if (!listed.contains(family) && !isSampleBoxFamily(family)) {
            listed.insert(family);
            families.append(family);
        }
    }
    return families;
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

QString familyWithoutFoundry(const QString &name)
{
    const qsizetype bracket = name.lastIndexOf(QLatin1String(" ["));
    return bracket > 0 && name.endsWith(QLatin1Char(']')) ? name.left(bracket) : name;
}

} // namespace platform
