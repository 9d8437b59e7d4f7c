#pragma once
// Font files made available for this run, in place of the system-wide font resources of Windows:
// a file is registered with the application's font database (and so with fontconfig's
// application font set), so the list, the preview and the sheet can draw its font by name.
// Registering means Qt parses the whole file; a large folder's files are therefore added as
// waiting additions, registered only when something asks for a font under one of their names.

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace platform {

/// The form of a font name that lookups compare, as fontconfig compares full names: letter case
/// and blanks do not count.
QString fontLookupKey(const QString &name);

/// The run's added font files. One instance per process, used on the GUI thread only.
class FontResources : public QObject
{
    Q_OBJECT
public:
    /// The process-wide instance (needs a QGuiApplication).
    static FontResources &instance();

    /// Adds the font file at `path` for the rest of the run (or until removed). Each call is one
    /// addition, also for a path added before; the font database reads the file at the first
    /// addition only and holds it once, however often it is added. Returns the number of faces
    /// the file provided; 0 when the file was refused (not a font, unreadable).
    int addFontFile(const QString &path);

    /// Adds the font file at `path` like addFontFile(), but leaves it waiting unregistered until a
    /// font is asked for under one of `lookupNames` (every family and full name the file holds;
    /// see registerWaitingFiles()). Without lookup names, or when one of them is among the
    /// program's own families, the file is registered at once. Returns `path` as held here, which
    /// shares its text with every other copy returned for the same path.
    QString addFontFileWaiting(const QString &path, const QStringList &lookupNames);

    /// Undoes one addition of `path`; the font database lets go of the file with the last one.
    /// Returns false when no addition of it is in effect.
    bool removeFontFile(const QString &path);

    /// How many additions of `path` are in effect.
    int additionCount(const QString &path) const;

    /// The paths with an addition in effect that are registered and provided a font, in no
    /// particular order; waiting files are not among them.
    QStringList addedFiles() const;

    /// True while any added file waits for its registration.
    bool hasWaitingFiles() const { return m_waitingCount > 0; }

    /// True while waiting files are being registered. Qt announces each of them as a change of
    /// its font database; none of them changes what a name drawn before stands for (that name's
    /// files were registered before it was drawn), so a listener may keep what it measured.
    bool isRegisteringWaitingFiles() const { return m_registering; }

    /// Registers the waiting files that a font asked for by `name` may come from: those holding
    /// `name` as a family or full name (letter case and blanks do not count), together with
    /// every waiting file that shares any name with one of them, and so on. So all files under
    /// one name reach the font database at once and in the order they were added, which is what
    /// decides between two faces of one name. Returns true when any file was registered.
    bool registerWaitingFiles(const QString &name);

    /// registerWaitingFiles() for each of `names`, in one go.
    bool registerWaitingFiles(const QStringList &names);

    /// Registers every waiting file, in the order they were added, with the busy cursor shown.
    void registerAllWaitingFiles();

    /// The families the program draws its own windows with: files under these names never wait,
    /// so the windows look the same whether or not a folder's fonts are registered yet.
    void setProgramFamilies(const QStringList &families);

    /// Posts the font change notification: fontsChanged() is emitted later from the event loop,
    /// never from within this call.
    void postFontChange();

signals:
    /// The set of fonts changed (Linux has no system-wide broadcast; this is the program's own).
    void fontsChanged();

private:
    FontResources() = default;
    /// One added file: the font database's id for it (-1 when refused or waiting), the faces it
    /// provided, how many additions are in effect and, while it waits, its lookup keys and the
    /// position of its first addition.
    struct Addition
    {
        int id = -1;
        int faces = 0;
        int count = 0;
        bool waiting = false;
        quint64 order = 0;
        QStringList keys;
    };
    /// Hands the file of `addition` to the font database.
    void registerFile(const QString &path, Addition &addition);
    /// Registers the waiting files reached from `keys` (see registerWaitingFiles()).
    bool registerComponent(QStringList keys);
    /// Rebuilds m_waitingByKey from the waiting additions (in no particular order: registration
    /// sorts a component by the order of the additions).
    void rebuildWaitingIndex();

    // A refused file is counted too: the caller removes every path it added, and each removal
    // must find an addition to pair with.
    QHash<QString, Addition> m_additions;
    /// Waiting paths by lookup key. May still name paths that were registered or removed since;
    /// those are skipped, and the index is rebuilt when they outnumber the live ones. Stale when
    /// files were added since it was built.
    QHash<QString, QStringList> m_waitingByKey;
    bool m_indexStale = false;
    qsizetype m_indexEntries = 0;
    qsizetype m_liveIndexEntries = 0;
    qsizetype m_waitingCount = 0;
    quint64 m_nextOrder = 0;
    QSet<QString> m_programKeys;
    bool m_registering = false;
};

} // namespace platform
