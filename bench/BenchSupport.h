#pragma once
// Shared by the bench programs: trees of real font files copied (or hard-linked) from Debian's
// font packages.

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

} // namespace bench
