// Times ReadFontFileName over copies of the font files of Debian's packages fonts-dejavu-core,
// fonts-liberation2 and fonts-noto-core, placed in nested folders of a temporary tree, next to
// one `fc-scan --format '%{fullname}\n'` run over the same files.
// Usage: bench_fontfilename [copies] [rounds]

#include "fonts/FontFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

/// The .ttf, .otf and .ttc files that the installed package `package` ships.
QStringList packageFontFiles(const QString &package)
{
    QProcess dpkg;
    dpkg.start(QStringLiteral("dpkg-query"), {QStringLiteral("-L"), package});
    if (!dpkg.waitForFinished(30000) || dpkg.exitCode() != 0)
        return {};
    QStringList files;
    const QStringList lines = QString::fromUtf8(dpkg.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString lower = line.toLower();
        if ((lower.endsWith(QLatin1String(".ttf")) || lower.endsWith(QLatin1String(".otf"))
             || lower.endsWith(QLatin1String(".ttc")))
            && QFileInfo(line).isFile())
            files << line;
    }
    return files;
}

/// Copies every file of `sources` below `root`, `copies` times, into folders two levels deep
/// (copy, package, a folder per initial letter). Returns the copied paths, empty on failure.
QStringList buildTree(const QString &root, const QList<QPair<QString, QStringList>> &sources, int copies)
{
    QStringList paths;
    for (int copy = 1; copy <= copies; ++copy) {
        for (const auto &[package, files] : sources) {
            for (const QString &file : files) {
                const QString name = QFileInfo(file).fileName();
                const QString folder = QStringLiteral("%1/Copy %2/%3/%4")
                                           .arg(root)
                                           .arg(copy)
                                           .arg(package, name.left(1).toUpper());
                if (!QDir().mkpath(folder))
                    return {};
                const QString target = folder + QLatin1Char('/') + name;
                if (!QFile::copy(file, target))
                    return {};
                paths << target;
            }
        }
    }
    return paths;
}

double microsecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int copies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    QList<QPair<QString, QStringList>> sources;
    for (const char *package : {"fonts-dejavu-core", "fonts-liberation2", "fonts-noto-core"}) {
        const QStringList files = packageFontFiles(QString::fromLatin1(package));
        if (files.isEmpty()) {
            std::fprintf(stderr, "package %s is not installed\n", package);
            return 1;
        }
        sources.append({QString::fromLatin1(package), files});
    }

    QTemporaryDir dir;
    const QStringList paths = dir.isValid() ? buildTree(dir.path(), sources, copies) : QStringList();
    if (paths.isEmpty()) {
        std::fprintf(stderr, "cannot build the font tree\n");
        return 1;
    }
    const double files = paths.size();

    // The first round warms the page cache; the best of the following rounds is reported.
    int empty = 0;
    for (const QString &path : paths)
        empty += ReadFontFileName(path).isEmpty();
    std::vector<double> roundTimes;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        for (const QString &path : paths)
            ReadFontFileName(path);
        roundTimes.push_back(microsecondsSince(start));
    }
    std::sort(roundTimes.begin(), roundTimes.end());
    const double readerBest = roundTimes.front() / files;
    const double readerMedian = roundTimes[roundTimes.size() / 2] / files;

    // fc-scan parses each whole font; one run for all files, best of three.
    double scanBest = 0;
    int scanLines = 0;
    for (int run = 0; run < 3; ++run) {
        QProcess scan;
        const auto start = Clock::now();
        scan.start(QStringLiteral("fc-scan"),
                   QStringList{QStringLiteral("--format"), QStringLiteral("%{fullname}\n")} + paths);
        if (!scan.waitForFinished(600000) || scan.exitStatus() != QProcess::NormalExit) {
            std::fprintf(stderr, "fc-scan did not run\n");
            return 1;
        }
        const double elapsed = microsecondsSince(start);
        scanLines = int(scan.readAllStandardOutput().count('\n'));
        if (run == 0 || elapsed < scanBest)
            scanBest = elapsed;
    }
    const double scanPerFile = scanBest / files;

    std::printf("font files:        %d (%d copies of %d package files), %d with an empty name\n",
                int(files), copies, int(files) / copies, empty);
    std::printf("ReadFontFileName:  %.2f us per file (best of %d rounds), median %.2f us\n",
                readerBest, rounds, readerMedian);
    std::printf("fc-scan:           %.2f us per file (best of 3 runs, %d names printed)\n",
                scanPerFile, scanLines);
    std::printf("ratio:             %.1f times faster (target: at least 20)\n", scanPerFile / readerBest);
    return 0;
}
