#include "platform/FontResources.h"

#include "util/FilePaths.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QCursor>
#include <QMetaObject>
#include <QScopeGuard>

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

QString fontLookupKey(const QString &name)
{
    // One new string, folded where it stands.
    QString key(name.size(), Qt::Uninitialized);
    qsizetype length = 0;
    for (const QChar c : name)
        if (c != QLatin1Char(' '))
            key[length++] = c;
    key.truncate(length);
    return std::move(key).toCaseFolded();
}

int FontResources::addFontFile(const QString &path)
{
    // A file added before is counted, as the system counts its font resources: parsing it again
    // would cost as much as the first time and put a second copy into the database.
    Addition &addition = m_additions[path];
    if (addition.count++ > 0) {
        // Asked for by path, a waiting file is wanted now.
        if (addition.waiting)
            registerComponent(QStringList(addition.keys));
        return m_additions.value(path).faces;
    }
    registerFile(path, addition);
    return addition.faces;
}

QString FontResources::addFontFileWaiting(const QString &path, const QStringList &lookupNames)
{
    auto entry = m_additions.find(path);
    if (entry == m_additions.end())
        entry = m_additions.insert(path, Addition());
    const QString held = entry.key();
    Addition &addition = *entry;
    if (addition.count++ > 0)
        return held;
    QStringList keys;
    bool programFont = false;
    for (const QString &name : lookupNames) {
        const QString key = fontLookupKey(name);
        if (key.isEmpty() || keys.contains(key))
            continue;
        keys.append(key);
        programFont = programFont || m_programKeys.contains(key);
    }
    if (keys.isEmpty() || programFont) {
        registerFile(path, addition);
        return held;
    }
    addition.waiting = true;
    addition.order = m_nextOrder++;
    // The index by name is brought up to date when a font is first asked for: a load adds
    // thousands of files before anything is drawn.
    m_liveIndexEntries += keys.size();
    addition.keys = std::move(keys);
    ++m_waitingCount;
    m_indexStale = true;
    return held;
}

void FontResources::registerFile(const QString &path, Addition &addition)
{
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
}

bool FontResources::registerWaitingFiles(const QString &name)
{
    if (m_waitingCount == 0)
        return false;
    // Asked for every time a row is painted: a name with no waiting file costs one lookup.
    if (m_indexStale)
        rebuildWaitingIndex();
    const QString key = fontLookupKey(name);
    return m_waitingByKey.contains(key) && registerComponent({key});
}

bool FontResources::registerWaitingFiles(const QStringList &names)
{
    if (m_waitingCount == 0)
        return false;
    QStringList keys;
    keys.reserve(names.size());
    for (const QString &name : names)
        keys.append(fontLookupKey(name));
    return registerComponent(keys);
}

bool FontResources::registerComponent(QStringList keys)
{
    if (m_indexStale)
        rebuildWaitingIndex();
    // Walks from the keys to their waiting files and from each file to its other keys; `keys`
    // doubles as the queue of the walk. Every waiting file under a key reached is taken, so the
    // key's index entry is done with.
    QSet<QString> seen(keys.cbegin(), keys.cend());
    QList<QPair<quint64, QString>> component;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const auto entry = m_waitingByKey.find(keys.at(i));
        if (entry == m_waitingByKey.end())
            continue;
        const QStringList paths = std::move(*entry);
        m_waitingByKey.erase(entry);
        m_indexEntries -= paths.size();
        for (const QString &path : paths) {
            const auto addition = m_additions.find(path);
            if (addition == m_additions.end() || !addition->waiting)
                continue;
            for (const QString &key : std::as_const(addition->keys)) {
                if (!seen.contains(key)) {
                    seen.insert(key);
                    keys.append(key);
                }
            }
            addition->waiting = false;
            m_liveIndexEntries -= addition->keys.size();
            addition->keys.clear();
            --m_waitingCount;
            component.append({addition->order, path});
        }
    }
    if (m_waitingCount == 0) {
        m_waitingByKey.clear();
        m_indexEntries = m_liveIndexEntries = 0;
    }
    // The order of registration decides between faces of one name, in Qt's database and in the
    // resolver's lookup alike; it must be the order of the additions.
    std::sort(component.begin(), component.end());
    // Qt orders a family's foundries differently when files are added to a database it has not
    // filled yet (after a removal); the files are added to a filled one, as during a load.
    if (!component.isEmpty())
        QFontDatabase::families();
    m_registering = true;
    const auto registered = qScopeGuard([this] { m_registering = false; });
    for (const auto &[order, path] : std::as_const(component)) {
        // Looked up afresh each time: a listener of Qt's change notice may add files meanwhile.
        const auto addition = m_additions.find(path);
        if (addition != m_additions.end())
            registerFile(path, *addition);
    }
    return !component.isEmpty();
}

void FontResources::registerAllWaitingFiles()
{
    if (m_waitingCount == 0)
        return;
    // A large folder's files take seconds to register.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    if (m_indexStale)
        rebuildWaitingIndex();
    QStringList keys;
    for (auto it = m_waitingByKey.cbegin(); it != m_waitingByKey.cend(); ++it)
        keys.append(it.key());
    registerComponent(keys);
}

void FontResources::setProgramFamilies(const QStringList &families)
{
    m_programKeys.clear();
    for (const QString &family : families)
        m_programKeys.insert(fontLookupKey(family));
    registerWaitingFiles(families);
}

void FontResources::rebuildWaitingIndex()
{
    m_waitingByKey.clear();
    m_indexEntries = 0;
    m_indexStale = false;
    for (auto it = m_additions.cbegin(); it != m_additions.cend(); ++it) {
        if (!it->waiting)
            continue;
        for (const QString &key : it->keys)
            m_waitingByKey[key].append(it.key());
        m_indexEntries += it->keys.size();
    }
}

bool FontResources::removeFontFile(const QString &path)
{
    const auto it = m_additions.find(path);
    if (it == m_additions.end())
        return false;
    if (--it->count > 0)
        return true;
    const int id = it->id;
    if (it->waiting) {
        --m_waitingCount;
        m_liveIndexEntries -= it->keys.size();
    }
    m_additions.erase(it);
    // The index keeps the path until it is next walked; it is rebuilt when such leftovers
    // outnumber the live entries, so adding and removing again and again does not grow it.
    if (m_waitingCount == 0) {
        m_waitingByKey.clear();
        m_indexEntries = m_liveIndexEntries = 0;
        m_indexStale = false;
    } else if (m_indexEntries > 2 * m_liveIndexEntries + 1024) {
        m_indexStale = true;
    }
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
