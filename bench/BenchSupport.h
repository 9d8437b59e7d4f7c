#pragma once
// Shared by the bench programs: trees of real font files copied from Debian's font packages.

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

/// Resident memory of the process in kilobytes.
long residentKb();

/// The font files of the three test packages (DejaVu, Liberation, Noto), per package; empty and
/// a message on stderr when one is not installed.
QList<QPair<QString, QStringList>> packageSources();

/// How buildFontTree() makes each file: a copy of its own, or a hard link to the package's file
/// (as quick to read, and a tree of 100,000 files costs no disk space).
enum class TreeFiles { Copies, HardLinks };

/// Copies every file of `sources` below `root`, `copies` times, into folders two levels deep
/// (copy, package, a folder per initial letter), stopping at `limit` files when it is positive.
/// Returns the copied paths, empty on failure.
QStringList buildFontTree(const QString &root, const QList<QPair<QString, QStringList>> &sources, int copies,
                          int limit = 0, TreeFiles files = TreeFiles::Copies);

/// Exactly `fileCount` copies of the test packages' font files below `root`, as many rounds of
/// buildFontTree() as it takes. Returns the paths; empty and a message on stderr on failure.
QStringList buildFontFiles(const QString &root, int fileCount, TreeFiles files = TreeFiles::Copies);

} // namespace bench
