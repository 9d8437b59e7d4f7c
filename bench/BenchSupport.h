#pragma once
// Shared by the bench programs: trees of real font files copied (or hard-linked) from Debian's
// font packages, collections of distinct fonts made from them, and the process's memory figures.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

/// Microseconds since `start`.
inline double microsecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

/// How a font tree gets its files: copies of the package files, or hard links to them, which
/// make a tree of tens of thousands of files in seconds and without its gigabytes on disk.
enum class TreeFiles { Copies, HardLinks };

/// The field `field` (such as "VmRSS:", the resident memory, or "VmHWM:", its peak) of
/// /proc/self/status in kilobytes; -1 when it cannot be read.
long long statusKb(const char *field);

/// Resets the peak resident memory (VmHWM) of this process to its present level.
void resetPeakMemory();

/// `lines` list entries that name the installed font families in turn, from the first again
/// after the last.
QStringList familyEntries(int lines);

/// The font files of the three test packages (DejaVu, Liberation, Noto), per package; empty and
/// a message on stderr when one is not installed.
QList<QPair<QString, QStringList>> packageSources();

/// Copies every file of `sources` below `root`, `copies` times, into folders two levels deep
/// (copy, package, a folder per initial letter), stopping at `limit` files when it is positive.
/// With TreeFiles::HardLinks each file is a hard link to the package file instead, or a copy
/// where the link cannot be made (another file system). Returns the paths, empty on failure.
QStringList buildFontTree(const QString &root, const QList<QPair<QString, QStringList>> &sources, int copies,
                          int limit = 0, TreeFiles files = TreeFiles::Copies);

/// Exactly `fileCount` copies of the test packages' font files below `root`, as many rounds of
/// buildFontTree() as it takes, made as `files` says. Returns the paths; empty and a message on
/// stderr on failure.
QStringList buildFontFiles(const QString &root, int fileCount, TreeFiles files = TreeFiles::Copies);

/// One file of a collection of distinct fonts: a Latin subset of one of the test packages' fonts
/// with a family of its own.
struct DistinctFont
{
    QString path;     ///< absolute path of the file
    QString family;   ///< its family, such as "Bench 00001"
    QString fullName; ///< its full name, such as "Bench 00001 Bold"
    QString style;    ///< the style of the font it was made from
};

/// The folder that holds the collections of distinct fonts: $GW_BENCH_FONTS when set, else
/// "bench-fonts" in the build tree.
QString distinctFontsBase();

/// Makes those of the collections of `counts` distinct font files below `base` that are not
/// there yet (one folder per size, see make_distinct_fonts.py); its progress goes to stdout.
/// Returns false, with the reason on stderr, when one could not be made.
bool makeDistinctFonts(const QString &base, const QList<int> &counts);

/// The files of the collection of `count` files below `base`, in the order they were numbered;
/// empty and a message on stderr when that collection is missing or incomplete.
QList<DistinctFont> distinctFonts(const QString &base, int count);

/// The folder of the collection of `count` files below `base`.
QString distinctFontsFolder(const QString &base, int count);

} // namespace bench
