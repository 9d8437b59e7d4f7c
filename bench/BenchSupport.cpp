#include "BenchSupport.h"

#include "typeface/SystemFonts.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace bench {
namespace {

// Puts `file` at `target` as a hard link, or as a copy when the two are on different file
// systems or the file system has no links; the same bytes either way. A package file that is a
// symbolic link is followed, so the tree never holds a link whose relative target is wrong there.
bool linkOrCopy(const QString &file, const QString &target)
{
    if (::linkat(AT_FDCWD, QFile::encodeName(file).constData(), AT_FDCWD, QFile::encodeName(target).constData(),
                 AT_SYMLINK_FOLLOW)
        == 0)
        return true;
    return QFile::copy(file, target);
}

} // namespace

long long statusKb(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QStringList familyEntries(int lines)
{
    const QStringList families = platform::printerTypefaces();
    QStringList entries;
    for (int i = 0; i < lines && !families.isEmpty(); ++i)
        entries << families.at(i % families.size());
    return entries;
}

QList<QPair<QString, QStringList>> packageSources()
{
    QList<QPair<QString, QStringList>> sources;
    for (const char *package : {"fonts-dejavu-core", "fonts-liberation2", "fonts-noto-core"}) {
        const QStringList files = gwtest::packageFontFiles(QString::fromLatin1(package));
        if (files.isEmpty()) {
            std::fprintf(stderr, "package %s is not installed\n", package);
            return {};
        }
        sources.append({QString::fromLatin1(package), files});
    }
    return sources;
}

QStringList buildFontTree(const QString &root, const QList<QPair<QString, QStringList>> &sources, int copies,
                          int limit, TreeFiles files)
{
    QStringList paths;
    for (int copy = 1; copy <= copies; ++copy) {
        for (const auto &[package, packageFiles] : sources) {
            for (const QString &file : packageFiles) {
                if (limit > 0 && paths.size() >= limit)
                    return paths;
                const QString name = QFileInfo(file).fileName();
                const QString folder =
                    QStringLiteral("%1/Copy %2/%3/%4").arg(root).arg(copy).arg(package, name.left(1).toUpper());
                if (!QDir().mkpath(folder))
                    return {};
                const QString target = folder + QLatin1Char('/') + name;
                const bool made = files == TreeFiles::HardLinks ? linkOrCopy(file, target) : QFile::copy(file, target);
                if (!made)
                    return {};
                paths << target;
            }
        }
    }
    return paths;
}

QStringList buildFontFiles(const QString &root, int fileCount, TreeFiles files)
{
    const auto sources = packageSources();
    if (sources.isEmpty())
        return {};
    int perCopy = 0;
    for (const auto &source : sources)
        perCopy += source.second.size();
    const QStringList paths = buildFontTree(root, sources, (fileCount + perCopy - 1) / perCopy, fileCount, files);
    if (paths.size() != fileCount) {
        std::fprintf(stderr, "cannot build the font tree\n");
        return {};
    }
    return paths;
}

QString distinctFontsBase()
{
    const QString set = qEnvironmentVariable("GW_BENCH_FONTS");
    return set.isEmpty() ? QStringLiteral(GW_BENCH_FONTS_DIR) : set;
}

QString distinctFontsFolder(const QString &base, int count)
{
    return base + QLatin1Char('/') + QString::number(count);
}

bool makeDistinctFonts(const QString &base, const QList<int> &counts)
{
    // Debian's own interpreter, which python3-fonttools installs for, ahead of any other one
    // that comes first on the path.
    const QString python =
        QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    QStringList arguments{QStringLiteral(GW_BENCH_SOURCE_DIR "/make_distinct_fonts.py"), base};
    for (int count : counts)
        arguments << QString::number(count);
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(python, arguments);
    if (!maker.waitForFinished(-1) || maker.exitStatus() != QProcess::NormalExit || maker.exitCode() != 0) {
        std::fprintf(stderr, "make_distinct_fonts.py failed (%s); it needs python3-fonttools\n",
                     qPrintable(maker.errorString()));
        return false;
    }
    return true;
}

QList<DistinctFont> distinctFonts(const QString &base, int count)
{
    const QString folder = distinctFontsFolder(base, count);
    QFile manifest(folder + QStringLiteral("/manifest.tsv"));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "no collection of %d distinct fonts in %s\n", count, qPrintable(folder));
        return {};
    }
    QList<DistinctFont> fonts;
    while (!manifest.atEnd()) {
        QString line = QString::fromUtf8(manifest.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 4)
            break;
        fonts.append({folder + QLatin1Char('/') + fields[0], fields[1], fields[2], fields[3]});
    }
    if (fonts.size() != count) {
        std::fprintf(stderr, "the collection in %s lists %lld files, not %d\n", qPrintable(folder),
                     static_cast<long long>(fonts.size()), count);
        return {};
    }
    return fonts;
}

} // namespace bench
