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
    // Qt registers every face of the file with its own database and, through the fontconfig
    // database, with fontconfig's application font set, where the name lookup of FontResolver
    // finds it. Qt announces the change with fontDatabaseChanged(), which also empties the
    // resolver's cache of names.
    // Qt opens a file by name through its own encoding of the path, which reaches neither a path
    // beyond the system's limit (a deeply nested font folder) nor a name on disk that is not
    // valid UTF-8 (see util::encodePath()); such a file is handed over by its contents.
    const QByteArray native = util::encodePath(path);
    int id = -1;
    if (native.size() < PATH_MAX && QFile::encodeName(path) == native) {
        id = QFontDatabase::addApplicationFont(path);
    } else if (QByteArray contents; util::readFile(path, contents)) {
        id = QFontDatabase::addApplicationFontFromData(contents);
    }
    // A refused file is recorded too: the caller removes every path it added, and each removal
    // must find an addition to pair with.
    m_ids[path].append(id);
    if (id < 0)
        return 0;
    // Qt reports one family entry per face the file provided.
    return int(QFontDatabase::applicationFontFamilies(id).size());
}

bool FontResources::removeFontFile(const QString &path)
{
    const auto it = m_ids.find(path);
    if (it == m_ids.end())
        return false;
    // The latest addition goes first; which one is irrelevant, as all of them name the same file.
    const int id = it->takeLast();
    if (it->isEmpty())
        m_ids.erase(it);
    // Qt drops the file from its database and clears fontconfig's application set; the files
    // still added return to fontconfig when the font database is next used (FontResolver makes
    // sure it is before asking fontconfig).
    if (id >= 0)
        QFontDatabase::removeApplicationFont(id);
    return true;
}

int FontResources::additionCount(const QString &path) const
{
    return int(m_ids.value(path).size());
}

QStringList FontResources::addedFiles() const
{
    QStringList paths;
    for (auto it = m_ids.cbegin(); it != m_ids.cend(); ++it)
        if (std::any_of(it->cbegin(), it->cend(), [](int id) { return id >= 0; }))
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
