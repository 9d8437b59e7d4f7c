#include "app/Language.h"

#include "platform/DesktopLanguage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace app {

QString startLanguageCode()
{
    // Without either marker (started from the desktop's menu, say), the desktop's language decides.
    if (QFileInfo(QStringLiteral("de")).isFile())
        return QStringLiteral("de");
    if (QFileInfo(QStringLiteral("en")).isFile())
        return QStringLiteral("en");
    return platform::desktopLanguageCode();
}

void setPlatformLanguage(const QString &code)
{
    // One translator for the run, installed while the interface is German. Removing and
    // installing it sends the change event that makes open widgets retranslate themselves.
    // It belongs to the application object and goes with it.
    static QPointer<QTranslator> german;
    static bool installed = false;
    const bool wantGerman = code == QLatin1String("de");
    if (!german) {
        installed = false;
        if (!wantGerman)
            return;
        german = new QTranslator(QCoreApplication::instance());
        if (!german->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete german;
            return;
        }
    }
    if (wantGerman == installed)
        return;
    installed = wantGerman;
    if (wantGerman)
        QCoreApplication::installTranslator(german);
    else
        QCoreApplication::removeTranslator(german);
}

} // namespace app
