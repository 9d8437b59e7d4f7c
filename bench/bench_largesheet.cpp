// Font sheets whose lines come from a large folder of font files (hard links to Debian's DejaVu,
// Liberation and Noto files in nested folders, loaded into the list with the system fonts off):
// 2,000 and 20,000 lines, printed directly to Qt's PDF engine and as a BMP image run split into
// part images. Per case, each run in a fresh process: the folder's load time, the run's time
// (which includes registering the folder's fonts, still waiting when the run starts), the peak
// resident memory above the level before the run and, for the split run, its parts. Shows
// whether the sheet's time grows linearly with its lines and whether the split run's memory stays
// within one part image.
// Usage: bench_largesheet                              runs every case
//        bench_largesheet LINES TARGET FOLDER SIZE     runs one case on the font files below
//                                                      FOLDER and prints its figures as
//                                                      key=value; TARGET: PDF, BMP (at SIZE
//                                                      points) or REG (registering the fonts
//                                                      alone, no sheet)

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Windows.h"
#include "output/Teinst.h"
#include "platform/Dialogs.h"
#include "platform/FontResources.h"
#include "platform/Printer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The sizes of the two sheets.
constexpr int kSmall = 2000;
constexpr int kLarge = 20000;

// Runs per case; the fastest counts, as the machine is shared.
constexpr int kRuns = 3;

// At the default 8 points the lines of 2,000 entries fit one image, so the small sheet would be
// a single image and only the large one a split run. At this size the failed attempt at one image
// ends well past line 100 for both sheets (the pixel limit for the small one, the height limit
// for the large one), so both are split alike, into parts of 100 lines.
constexpr int kSplitSize = 14;

// Resets the peak resident memory (VmHWM) to the present level.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Kilobytes as the megabytes the figures are printed in.
double megabytes(long long kb)
{
    return double(kb) / 1000;
}

// The part images a split run wrote for the chosen name `base` + ".bmp": base0.bmp, base1.bmp, …
struct Parts
{
    int count = 0;
    QSize largest;
};

// Reads the sizes of the parts from their headers, without loading their pixels.
Parts partsWritten(const QString &base)
{
    Parts parts;
    for (;; ++parts.count) {
        const QSize size = QImageReader(base + QString::number(parts.count) + QStringLiteral(".bmp")).size();
        if (!size.isValid())
            break;
        if (qint64(size.width()) * size.height() > qint64(parts.largest.width()) * parts.largest.height())
            parts.largest = size;
    }
    return parts;
}

// Prints the figures of one case as key=value pairs on one line.
void printFigures(const QHash<QString, double> &figures)
{
    QStringList out;
    for (auto it = figures.cbegin(); it != figures.cend(); ++it)
        out << it.key() + QLatin1Char('=') + QString::number(it.value(), 'f', 1);
    std::printf("%s\n", qPrintable(out.join(QLatin1Char(' '))));
}

// One run of one case in this process: loads the folder, runs the target, prints the figures.
int runCase(int argc, char **argv, int lines, const QString &target, const QString &folder, int size)
{
    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    app::createWindows();
    QHash<QString, double> figures;

    // The folder's files into the list, as the user loads them: system fonts off, folder on.
    prog->cb_system->setChecked(false);
    prog->ed_folder->setText(folder);
    prog->cb_folder->setChecked(true);
    const auto loadStart = bench::Clock::now();
    prog->SchriftenNeuLadenClick();
    QCoreApplication::processEvents();
    figures[QStringLiteral("load")] = bench::microsecondsSince(loadStart) / 1000;
    if (prog->ListBox1->count() != lines) {
        std::fprintf(stderr, "the list has %d entries, not %d\n", prog->ListBox1->count(), lines);
        return 1;
    }

    if (target == QLatin1String("REG")) {
        // The share of the run's time that registering the waiting fonts takes.
        const auto start = bench::Clock::now();
        platform::FontResources::instance().registerAllWaitingFiles();
        figures[QStringLiteral("register")] = bench::microsecondsSince(start) / 1000;
        printFigures(figures);
        app::destroyWindows();
        return 0;
    }

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    const bool split = target == QLatin1String("BMP");
    dialogs::clearShown();
    if (split) {
        einst->Edit5->setEditText(QString::number(size));
        // The split offer is answered Ok, then the save dialog of the split run with the name
        // the part images are numbered from.
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        dialogs::setNextAnswer(dir.filePath(QStringLiteral("sheet.bmp")));
        prog->cbdrucker->addItem(QStringLiteral("BMP-Image"));
        prog->cbdrucker->setCurrentIndex(prog->cbdrucker->count() - 1);
    } else {
        platform::Printer::instance().setPdfOutput(pdf);
        prog->cbdrucker->setCurrentIndex(0);
    }

    // The split run begins after the failed attempt at one image has let go of its memory and
    // both dialogs are answered; the run lets events through after every line, so a timer sees
    // the first line of the split run. There the peak so far is read and reset, to measure the
    // split run on its own.
    double splitStartMs = -1;
    long long splitBaseKb = -1;
    long long attemptPeakKb = -1;
    bench::Clock::time_point start;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (dialogs::shown().size() < 2)
            return;
        watch.stop();
        splitStartMs = bench::microsecondsSince(start) / 1000;
        attemptPeakKb = bench::statusKb("VmHWM:");
        splitBaseKb = bench::statusKb("VmRSS:");
        resetPeak();
    });
    if (split)
        watch.start();

    resetPeak();
    const long long beforeKb = bench::statusKb("VmRSS:");
    start = bench::Clock::now();
    prog->Button1Click();
    figures[QStringLiteral("run")] = bench::microsecondsSince(start) / 1000;
    const long long peakKb = bench::statusKb("VmHWM:");

    if (!split) {
        figures[QStringLiteral("extra")] = megabytes(peakKb - beforeKb);
        figures[QStringLiteral("bytes")] = double(QFileInfo(pdf).size());
    } else {
        const Parts parts = partsWritten(dir.filePath(QStringLiteral("sheet")));
        if (parts.count == 0 || splitStartMs < 0) {
            // What the run showed instead tells why: an image that fitted, or a failure.
            std::fprintf(stderr, "no split run; the dialogs shown:\n");
            for (const dialogs::Shown &shown : dialogs::shown())
                std::fprintf(stderr, "  %s: %s -> %s\n", qPrintable(shown.dialog), qPrintable(shown.text),
                             qPrintable(shown.answer.toString()));
            return 1;
        }
        figures[QStringLiteral("extra")] = megabytes(std::max(attemptPeakKb, peakKb) - beforeKb);
        figures[QStringLiteral("attemptextra")] = megabytes(attemptPeakKb - beforeKb);
        figures[QStringLiteral("splitstart")] = splitStartMs;
        figures[QStringLiteral("splitextra")] = megabytes(peakKb - splitBaseKb);
        figures[QStringLiteral("splitbase")] = megabytes(splitBaseKb - beforeKb);
        figures[QStringLiteral("parts")] = parts.count;
        figures[QStringLiteral("partw")] = parts.largest.width();
        figures[QStringLiteral("parth")] = parts.largest.height();
    }
    printFigures(figures);
    app::destroyWindows();
    return 0;
}

// Runs one case kRuns times, each in a child process, and returns the figures of the run with
// the least `fastest` time; empty when a run failed.
QHash<QString, double> bestOfRuns(const QString &program, int lines, const char *target, const QString &folder,
                                  const QString &fastest)
{
    QHash<QString, double> best;
    for (int run = 0; run < kRuns; ++run) {
        QProcess child;
        child.start(program,
                    {QString::number(lines), QString::fromLatin1(target), folder, QString::number(kSplitSize)});
        child.waitForFinished(-1);
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || out.isEmpty()) {
            const QStringList errors =
                QString::fromLocal8Bit(child.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
            std::fprintf(stderr, "case %d %s failed:\n%s\n", lines, target,
                         qPrintable(errors.mid(std::max<qsizetype>(0, errors.size() - 8)).join(QLatin1Char('\n'))));
            return {};
        }
        QHash<QString, double> figures;
        for (const QString &pair : out.split(QLatin1Char(' '))) {
            const qsizetype equals = pair.indexOf(QLatin1Char('='));
            figures.insert(pair.left(equals), pair.mid(equals + 1).toDouble());
        }
        if (best.isEmpty() || figures.value(fastest) < best.value(fastest))
            best = figures;
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5)
        return runCase(argc, argv, std::atoi(argv[1]), QString::fromLatin1(argv[2]), QString::fromLocal8Bit(argv[3]),
                       std::atoi(argv[4]));

    QCoreApplication application(argc, argv);
    const QString program = QCoreApplication::applicationFilePath();
    // Hard links: 20,000 copies would be some 3.5 GB written before the first case.
    QTemporaryDir root;
    const auto treeStart = bench::Clock::now();
    const int sizes[] = {kSmall, kLarge};
    QString folders[2];
    for (int which = 0; which < 2; ++which) {
        folders[which] = root.filePath(QString::number(sizes[which]));
        if (bench::buildFontFiles(folders[which], sizes[which], bench::TreeFiles::HardLinks).isEmpty())
            return 1;
    }
    std::printf("font trees of %d and %d files (hard links) made in %.0f ms\n", kSmall, kLarge,
                bench::microsecondsSince(treeStart) / 1000);
    std::printf("every run in a fresh process, the fastest of %d runs per case; the list holds exactly one entry per "
                "file\n",
                kRuns);
    std::printf("run times include registering the folder's fonts, which wait unregistered after loading\n\n");

    std::printf("registering the waiting fonts alone (no sheet)\n");
    for (int which = 0; which < 2; ++which) {
        const auto figures = bestOfRuns(program, sizes[which], "REG", folders[which], QStringLiteral("register"));
        if (figures.isEmpty())
            return 1;
        std::printf("  %5d files: load %8.1f ms, register %8.1f ms\n", sizes[which], figures.value(QStringLiteral("load")),
                    figures.value(QStringLiteral("register")));
    }

    std::printf("\nPDF: direct printing to Qt's PDF engine, default settings (8 points)\n");
    double pdfTimes[2] = {0, 0};
    for (int which = 0; which < 2; ++which) {
        const auto figures = bestOfRuns(program, sizes[which], "PDF", folders[which], QStringLiteral("run"));
        if (figures.isEmpty())
            return 1;
        pdfTimes[which] = figures.value(QStringLiteral("run"));
        std::printf("  %5d lines: load %8.1f ms, run %9.1f ms, peak memory +%7.1f MB, PDF of %.1f MB\n", sizes[which],
                    figures.value(QStringLiteral("load")), pdfTimes[which], figures.value(QStringLiteral("extra")),
                    figures.value(QStringLiteral("bytes")) / 1e6);
    }

    std::printf("\nBMP: split image run at %d points, not the default 8: at 8 points 2,000 lines fit one image and only "
                "20,000 would split\n",
                kSplitSize);
    double bmpTimes[2] = {0, 0};
    double partMbs[2] = {0, 0};
    QHash<QString, double> bmp[2];
    for (int which = 0; which < 2; ++which) {
        bmp[which] = bestOfRuns(program, sizes[which], "BMP", folders[which], QStringLiteral("run"));
        const auto &figures = bmp[which];
        if (figures.isEmpty())
            return 1;
        bmpTimes[which] = figures.value(QStringLiteral("run"));
        partMbs[which] = figures.value(QStringLiteral("partw")) * figures.value(QStringLiteral("parth")) * 4 / 1e6;
        const double parts = figures.value(QStringLiteral("parts"));
        std::printf("  %5d lines: load %8.1f ms, run %9.1f ms (the split run from %.1f ms on), peak memory +%7.1f MB\n",
                    sizes[which], figures.value(QStringLiteral("load")), bmpTimes[which],
                    figures.value(QStringLiteral("splitstart")), figures.value(QStringLiteral("extra")));
        std::printf("               %.0f parts written (%.0f lines each), the largest %.0f x %.0f x 4 bytes = %.1f MB\n",
                    parts, std::ceil(sizes[which] / parts), figures.value(QStringLiteral("partw")),
                    figures.value(QStringLiteral("parth")), partMbs[which]);
        std::printf("               peak of the failed attempt at one image +%.1f MB; peak of the split run +%.1f MB "
                    "above its start (+%.1f MB above the level before the run)\n",
                    figures.value(QStringLiteral("attemptextra")), figures.value(QStringLiteral("splitextra")),
                    figures.value(QStringLiteral("splitbase")));
    }

    std::printf("\nlinearity: time(%d lines) / time(%d lines) (target: at most 11)\n", kLarge, kSmall);
    std::printf("  PDF:           %.2f\n", pdfTimes[1] / pdfTimes[0]);
    std::printf("  BMP split run: %.2f\n", bmpTimes[1] / bmpTimes[0]);
    std::printf("memory of the BMP split run against its largest part image (target: one part image)\n");
    for (int which = 0; which < 2; ++which)
        std::printf("  %5d lines: split run's own peak %.1f MB = %.2f x part image; whole run's peak, failed "
                    "attempt included, %.1f MB = %.2f x part image\n",
                    sizes[which], bmp[which].value(QStringLiteral("splitextra")),
                    bmp[which].value(QStringLiteral("splitextra")) / partMbs[which],
                    bmp[which].value(QStringLiteral("extra")), bmp[which].value(QStringLiteral("extra")) / partMbs[which]);
    return 0;
}
