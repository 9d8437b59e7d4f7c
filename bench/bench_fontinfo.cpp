// Times the listing of every font's facts on the command line (glyphworks --list-fonts --format
// tsv, the program itself run as a child process, its folder load included) over a collection of
// distinct fonts, against fontconfig's own scan of the same folder printing family, style and file.
// Usage: bench_fontinfo [files]   files: 20,000 unless given.

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <cstdlib>

namespace {

// Runs `program` with `arguments` to its end; the milliseconds it took and the lines it wrote,
// or -1 ms when it failed.
std::pair<double, qsizetype> timedRun(const QString &program, const QStringList &arguments)
{
    QProcess process;
    const auto start = bench::Clock::now();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return {-1, 0};
    }
    const double ms = bench::microsecondsSince(start) / 1000;
    return {ms, process.readAllStandardOutput().count('\n')};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int fileCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const QString base = bench::distinctFontsBase();
    if (!bench::makeDistinctFonts(base, {fileCount}))
        return 1;
    const QString folder = bench::distinctFontsFolder(base, fileCount);

    // The page cache warmed by one scan, so that neither run pays for the disk.
    timedRun(QStringLiteral("fc-scan"), {QStringLiteral("--format"), QStringLiteral("%{file}\n"), folder});
    const auto [listMs, listLines] =
        timedRun(QStringLiteral(GW_PROGRAM_FILE), {QStringLiteral("--list-fonts"), QStringLiteral("--format"),
                                                   QStringLiteral("tsv"), QStringLiteral("--folder"), folder,
                                                   QStringLiteral("--no-system-fonts")});
    const auto [scanMs, scanLines] = timedRun(
        QStringLiteral("fc-scan"), {QStringLiteral("--format"), QStringLiteral("%{family}\t%{style}\t%{file}\n"), folder});
    const auto [plainMs, plainLines] =
        timedRun(QStringLiteral(GW_PROGRAM_FILE),
                 {QStringLiteral("--list-fonts"), QStringLiteral("--folder"), folder, QStringLiteral("--no-system-fonts")});
    if (listMs < 0 || scanMs < 0 || plainMs < 0)
        return 1;

    std::printf("--list-fonts --format tsv, %d files: %8.1f ms (%lld lines with the header)\n", fileCount, listMs,
                static_cast<long long>(listLines));
    std::printf("fc-scan --format family/style/file:  %8.1f ms (%lld lines); the listing takes %.2f of it   target <= 0.5\n",
                scanMs, static_cast<long long>(scanLines), listMs / scanMs);
    std::printf("--list-fonts without facts:          %8.1f ms (%lld lines): the facts take %.1f us per file\n", plainMs,
                static_cast<long long>(plainLines), (listMs - plainMs) * 1000 / std::max<qsizetype>(1, plainLines));
    return 0;
}
