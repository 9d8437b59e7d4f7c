#include "platform/FontResources.h"

#include "util/FilePaths.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMetaObject>

#include <algorithm>
#include <climits>

namespace platform {

FontResources &FontResources::instance()
{
    Q_ASSERT_X(qGuiApp, "FontResources::instance", "needs a QGuiApplication");
    // Created on first use, on the GUI thread, so queued notifications are delivered there.
    static FontResources resources;
    return resources;
}

int FontResources::addFontFile(const QString &path)
{
    // A file added before is counted, as the system counts its font resources: parsing it again
    // would cost as much as the first time and put a second copy into the database.
    Addition &addition = m_additions[path];
    if (addition.count++ > 0)
        return addition.faces;

    // Qt registers every face of the file with its own database and, through the fontconfig
    // database, with fontconfig's application font set, where the name lookup of FontResolver
    // finds it. Qt announces the change with fontDatabaseChanged(), which also empties the
    // resolver's cache of names.
    // Qt opens a file by name through its own encoding of the path, which reaches neither a path
    // beyond the system's limit (a deeply nested font folder) nor a name on disk that is not
    // valid UTF-8 (see util::encodePath()); such a file is handed over by its contents.
    const QByteArray native = util::encodePath(path);
    if (native.size() < PATH_MAX && QFile::encodeName(path) == native) {
        addition.id = QFontDatabase::addApplicationFont(path);
    } else if (QByteArray contents; util::readFile(path, contents)) {
        addition.id = QFontDatabase::addApplicationFontFromData(contents);
    }
    // Qt reports one family entry per face the file provided.
    if (addition.id >= 0)
        addition.faces = int(QFontDatabase::applicationFontFamilies(addition.id).size());
    return addition.faces;
}

bool FontResources::removeFontFile(const QString &path)
{
    const auto it = m_additions.find(path);
    if (it == m_additions.end())
        return false;
    if (--it->count > 0)
        return true;
    const int id = it->id;
    m_additions.erase(it);
    // Qt drops the file from its database and clears fontconfig's application set; the files
    // still added return to fontconfig when the font database is next used (FontResolver makes
    // sure it is before asking fontconfig).
    if (id >= 0)
        QFontDatabase::removeApplicationFont(id);
    return true;
}

int FontResources::additionCount(const QString &path) const
{
    return m_additions.value(path).count;
}

QStringList FontResources::addedFiles() const
{
    QStringList paths;
    for (auto it = m_additions.cbegin(); it != m_additions.cend(); ++it)
        if (it->id >= 0)
            paths << it.key();
    return paths;
}

void FontResources::postFontChange()
{
    // Posted, not sent: listeners react once control is back in the event loop, as other
    // programs react to a posted broadcast.
    QMetaObject::invokeMethod(this, &FontResources::fontsChanged, Qt::QueuedConnection);
}

} // namespace platform
