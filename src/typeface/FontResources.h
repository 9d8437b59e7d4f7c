#pragma once
// Font files added for this run, in place of the system-wide font resources of Windows. An
// addition is counted as the system counts its font resources (each load of a folder adds its
// files again, and the program removes each addition at its end), but nothing is handed to the
// font system: a folder's font is drawn from its own file (platform::FileFaces), so that no
// lookup of any font ever has to search a folder's thousands of faces.

#include <QHash>
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
    /// addition, also for a path added before. Returns `path` as held here, which shares its text
    /// with every other copy returned for the same path, so a file added on every reload is kept
    /// in memory once.
    QString addFontFile(const QString &path);

    /// Undoes one addition of `path`. Returns false when no addition of it is in effect.
    bool removeFontFile(const QString &path);

    /// How many additions of `path` are in effect.
    int additionCount(const QString &path) const;

    /// The paths with an addition in effect, in no particular order.
    QStringList addedFiles() const;

    /// Posts the font change notification: fontsChanged() is emitted later from the event loop,
    /// never from within this call.
    void postFontChange();

signals:
    /// The set of fonts changed (Linux has no system-wide broadcast; this is the program's own).
    void fontsChanged();

private:
    FontResources() = default;
    QHash<QString, int> m_additions;
};

} // namespace platform
