#pragma once
// Helpers shared by the tests: real font files from Debian's font packages, and temporary trees.

#include <QEvent>
#include <QObject>
#include <QString>
#include <QStringList>

namespace gwtest {

/// Counts the paint events of the widgets it is installed on as an event filter.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

/// The font files (.ttf, .otf, .ttc) that the installed Debian package `package` ships, sorted.
/// Empty when the package is not installed.
QStringList packageFontFiles(const QString &package);

/// The first file of packageFontFiles(package) whose file name is `fileName`; fails the test
/// (QSKIP is not used: the test command installs these packages) when it is missing.
QString packageFontFile(const QString &package, const QString &fileName);

/// Copies `source` to `targetPath`, creating the folders on the way. Returns false on failure.
bool copyFile(const QString &source, const QString &targetPath);

/// Writes `bytes` to `path`, creating the folders on the way. Returns false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

/// Writes `bytes` as the file whose path on disk is the byte string `nativePath` (which need not
/// be valid UTF-8); the folders on the way must exist. Returns false on failure.
bool writeNativeFile(const QByteArray &nativePath, const QByteArray &bytes);

/// The path of a folder `levels` deep below `root`: root/d1/d2/.../d<levels>.
QString deepFolder(const QString &root, int levels);

/// Writes `bytes` as the file `path` of any length (beyond the system's path limit too),
/// creating the folders on the way one at a time. Returns false on failure.
bool writeDeepFile(const QString &path, const QByteArray &bytes);

/// Removes the folder tree `path`, however deep (rm -rf). Returns false on failure.
bool removeTree(const QString &path);

/// Runs `program` with `arguments` and returns its standard output as UTF-8 text; fails the
/// calling test's expectations by returning an empty text when it cannot run or exits non-zero.
QString toolOutput(const QString &program, const QStringList &arguments);

/// The root folder of the source tree (for test data and scripts).
QString sourceDir();

} // namespace gwtest
