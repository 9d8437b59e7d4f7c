// Times ReadFontFileName over copies of the font files of Debian's packages fonts-dejavu-core,
// fonts-liberation2 and fonts-noto-core, placed in nested folders of a temporary tree, next to
// one `fc-scan --format '%{fullname}\n'` run over the same files.
// Usage: bench_fontfilename [copies] [rounds]

#include "BenchSupport.h"
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

using bench::Clock;
using bench::microsecondsSince;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int copies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    const auto sources = bench::packageSources();
    if (sources.isEmpty())
        return 1;

    QTemporaryDir dir;
    const QStringList paths = dir.isValid() ? bench::buildFontTree(dir.path(), sources, copies) : QStringList();
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
