#include "typeface/SystemFonts.h"

#include "typeface/SampleBoxFace.h"

#include <QFontDatabase>
#include <QSet>

#include <fontconfig/fontconfig.h>

namespace platform {

// Every family name that a font file known to fontconfig carries, the installed ones and those
// added for this run. Qt's database also holds the generic names "Serif", "Sans Serif" and
// "Monospace", which it registers without a file as aliases for fontconfig's default faces: they
// are no typefaces, and only this tells them apart from a real family of the same spelling.
static QSet<QString> familiesOfFontFiles()
{
    QSet<QString> families;
    for (const FcSetName setName : {FcSetSystem, FcSetApplication}) {
        const FcFontSet *set = FcConfigGetFonts(nullptr, setName); // owned by fontconfig
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8 *value = nullptr;
            for (int index = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, index, &value) == FcResultMatch; ++index)
                families.insert(QString::fromUtf8(reinterpret_cast<const char *>(value)));
        }
    }
    return families;
}

// Qt's database holds what fontconfig lists. A family offered by several foundries appears there once per foundry as "Family [Foundry]"; the typeface lists name
// it once, by its family name, which draws a face of that family as a printer's typeface does.
static QStringList systemFamilies()
{
    // A folder's fonts are drawn from their files and never registered, so the list holds the
    // installed families alone, whatever was loaded before; the one face registered for the
    // sample boxes is no typeface of the system either.
    const QStringList known = QFontDatabase::families(); // makes Qt load fontconfig's configuration first
    const QSet<QString> ofFiles = familiesOfFontFiles();
    QStringList families;
    QSet<QString> listed;
    for (const QString &name : known) {
        const QString family = familyWithoutFoundry(name);
        if (!listed.contains(family) && ofFiles.contains(family) && !isSampleBoxFamily(family)) {
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
