#pragma once
// Font files made available for this run, in place of the system-wide font resources of Windows:
// a file is registered with the application's font database (and so with fontconfig's
// application font set), so the list, the preview and the sheet can draw its font by name.

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {

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

    /// Undoes one addition of `path`; the font database lets go of the file with the last one.
    /// Returns false when no addition of it is in effect.
    bool removeFontFile(const QString &path);

    /// How many additions of `path` are in effect.
    int additionCount(const QString &path) const;

    /// The paths with an addition in effect that provided a font, in no particular order.
    QStringList addedFiles() const;

    /// Posts the font change notification: fontsChanged() is emitted later from the event loop,
    /// never from within this call.
    void postFontChange();

signals:
    /// The set of fonts changed (Linux has no system-wide broadcast; this is the program's own).
    void fontsChanged();

private:
    FontResources() = default;
    /// One added file: the font database's id for it (-1 when refused), the faces it provided
    /// and how many additions are in effect.
    struct Addition
    {
        int id = -1;
        int faces = 0;
        int count = 0;
    };
    // A refused file is counted too: the caller removes every path it added, and each removal
    // must find an addition to pair with.
    QHash<QString, Addition> m_additions;
};

} // namespace platform
