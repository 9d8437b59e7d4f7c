#include "BenchSupport.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

namespace bench {

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
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
                          int limit, TreeFiles treeFiles)
{
    QStringList paths;
    for (int copy = 1; copy <= copies; ++copy) {
        for (const auto &[package, files] : sources) {
            for (const QString &file : files) {
                if (limit > 0 && paths.size() >= limit)
                    return paths;
                const QString name = QFileInfo(file).fileName();
                const QString folder =
                    QStringLiteral("%1/Copy %2/%3/%4").arg(root).arg(copy).arg(package, name.left(1).toUpper());
                if (!QDir().mkpath(folder))
                    return {};
                const QString target = folder + QLatin1Char('/') + name;
                const bool made = treeFiles == TreeFiles::HardLinks
                                      ? ::link(QFile::encodeName(file).constData(), QFile::encodeName(target).constData()) == 0
                                      : QFile::copy(file, target);
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

} // namespace bench
