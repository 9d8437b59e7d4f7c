// Times FindFiles with the font extensions over a generated tree of folders and files, next to
// `find` over the same tree. Usage: bench_findfiles [entries] [repetitions]

#include "platform/FindFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const QStringList fontExtensions{".ttf", ".otf", ".fon", ".fnt", ".ttc", ".fot", ".mmm", ".pfb", ".pfm"};

struct TreeStats
{
    int folders = 0;
    int files = 0;
    int fontFiles = 0;
};

/// Fills `root` with `entries` folders and files: 20 top folders with 10 sub-folders each, the
/// files spread over all of them; every third file carries a font extension (some upper-cased),
/// a few are hidden.
bool buildTree(const QString &root, int entries, TreeStats &stats)
{
    QStringList folders{root};
    for (int top = 0; top < 20 && stats.folders < entries; ++top) {
        const QString topPath = root + QStringLiteral("/Family %1").arg(top);
        if (!QDir().mkdir(topPath))
            return false;
        folders.append(topPath);
        ++stats.folders;
        for (int sub = 0; sub < 10 && stats.folders < entries; ++sub) {
            const QString subPath = topPath + QStringLiteral("/style_%1").arg(sub);
            if (!QDir().mkdir(subPath))
                return false;
            folders.append(subPath);
            ++stats.folders;
        }
    }

    static const char *const others[] = {".txt", ".png", ".afm", ".inf", ".pdf"};
    for (int i = 0; stats.folders + stats.files < entries; ++i) {
        const QString &folder = folders.at(i % folders.size());
        QString name = (i % 17 == 0 ? QStringLiteral(".file%1") : QStringLiteral("File-%1")).arg(i);
        if (i % 3 == 0) {
            QString ext = fontExtensions.at((i / 3) % fontExtensions.size());
            if (i % 5 == 0)
                ext = ext.toUpper();
            name += ext;
            ++stats.fontFiles;
        } else {
            name += QLatin1String(others[i % 5]);
        }
        QFile f(folder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        ++stats.files;
    }
    return true;
}

struct Timing
{
    double minMs = 0;
    double medianMs = 0;
};

Timing timeRuns(int repetitions, const std::function<void()> &run)
{
    std::vector<double> ms;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        run();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

void report(const char *what, const Timing &t, int entries)
{
    std::printf("%-44s min %8.3f ms  median %8.3f ms  %6.3f us/entry\n", what, t.minMs, t.medianMs,
                t.medianMs * 1000.0 / entries);
}

} // namespace

int main(int argc, char **argv)
{
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    TreeStats stats;
    if (!buildTree(dir.path(), entries, stats)) {
        std::fprintf(stderr, "cannot build the tree in %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("tree: %d entries (%d folders, %d files, %d with font extensions), %d repetitions\n",
                stats.folders + stats.files, stats.folders, stats.files, stats.fontFiles, repetitions);

    qsizetype found = 0;
    const Timing walk = timeRuns(repetitions, [&] {
        QStringList list;
        FindFiles(list, dir.path(), fontExtensions, true);
        found = list.size();
    });
    if (found != stats.fontFiles) {
        std::fprintf(stderr, "FindFiles found %lld files, expected %d\n", static_cast<long long>(found),
                     stats.fontFiles);
        return 1;
    }
    report("FindFiles, nine font extensions", walk, entries);

    // The same walk through a separate process, for scale; it includes starting the process.
    if (!QStandardPaths::findExecutable(QStringLiteral("find")).isEmpty()) {
        const std::string quoted = "'" + QFile::encodeName(dir.path()).toStdString() + "'";
        const std::string plain = "find " + quoted + " -type f > /dev/null";
        std::string byName = "find " + quoted + " -type f \\(";
        for (qsizetype i = 0; i < fontExtensions.size(); ++i)
            byName += (i ? " -o -iname '*" : " -iname '*") + fontExtensions.at(i).toStdString() + "'";
        byName += " \\) > /dev/null";

        const Timing findAll = timeRuns(repetitions, [&] { (void)std::system(plain.c_str()); });
        report("find -type f (process)", findAll, entries);
        const Timing findFonts = timeRuns(repetitions, [&] { (void)std::system(byName.c_str()); });
        report("find -type f -iname (nine patterns, process)", findFonts, entries);
    }
    return 0;
}
