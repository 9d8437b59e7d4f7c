#pragma once
// Helpers shared by the tests: real font files from Debian's font packages, and temporary trees.

#include "fonts/FontEntry.h"

#include <QEvent>
#include <QImage>
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

/// The text of a PDF as `pdftotext` reads it with `arguments` (the PDF and "-" among them), with
/// the Latin ligatures (U+FB00…U+FB06) spelled out: a font that ligates "fi" in a drawn path
/// gives the ligature's own character back, and a folder named "…fi…" would not be found.
QString pdfText(const QStringList &arguments);

/// Runs the Python 3 program text `script` with `arguments`; false, with its error output as a
/// warning, when it fails.
bool runPython(const char *script, const QStringList &arguments);

/// Writes a copy of the font file `source` to `target` with its faces renamed: family, style
/// (subfamily), full name and, unless empty, the vendor id from which fontconfig derives the
/// foundry. Returns false on failure.
bool makeRenamedFont(const QString &source, const QString &target, const QString &family, const QString &style,
                     const QString &fullName, const QString &vendor = {});

/// The ink of an image (pixels darker than mid-grey): how much there is, and how far it leans to
/// the right going up: the covariance of x with the height over the variance of the height,
/// which shearing the text raises by the shear's factor.
struct Ink
{
    qint64 amount = 0;
    qreal lean = 0;
};

/// Measures the ink of `image`.
Ink inkOf(const QImage &image);

/// The kinds of hostile file makeHostile() makes.
inline const QStringList kHostileKinds = {QStringLiteral("FIFO"), QStringLiteral("device link"),
                                          QStringLiteral("truncated"), QStringLiteral("swapped"),
                                          QStringLiteral("deleted"), QStringLiteral("rewritten")};

/// Turns the listed font file `path` into something hostile: "FIFO" (with no writer), "device
/// link" (a link to /dev/zero), "truncated" (to half), "swapped" (the font `other` renamed over
/// it), "deleted" or "rewritten" (the bytes of `other` written over it in place, as a copy onto
/// an existing file writes them: the same inode holds another font). Returns false on failure.
bool makeHostile(const QString &path, const QString &kind, const QString &other);

/// A font file whose name would mislead a program that reads its file back out of the list text.
struct HostileFont
{
    QString path; ///< the file in the folder
    QString name; ///< its full name (name ID 4)
    QString family;
};

/// Writes, into `folder`, fonts whose names hold " | " (one naming a file that does not exist,
/// one naming, together with the rest of its entry, a font planted below `plantRoot`, whose
/// family is "Gw Planted"), a line feed, an escape sequence and a C1 control character. Returns
/// them in no particular order; empty on failure.
QList<HostileFont> makeHostileNamedFonts(const QString &folder, const QString &plantRoot);

/// The root folder of the source tree (for test data and scripts).
QString sourceDir();

/// The rows of `texts` as a load records them: "name | path" a font file's, any other text a
/// typeface's. For tests whose own names hold no " | ".
fonts::FontListEntries recordsOf(const QStringList &texts);

} // namespace gwtest
