// Image sheets of 500 and 2,000 lines over the installed font families, to BMP and JPEG, through
// the program's own output command: wall time and peak memory (each case in a fresh process, peak
// resident memory reset just before the run), against the final image's bytes; and pango-view
// rendering the same 500 lines to PNG.
// Usage: bench_imagesheet            runs every case
//        bench_imagesheet LINES FMT  runs one case (FMT: BMP or JPG) and prints its figures

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontEntry.h"
#include "output/ImageSheet.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

int runCase(int argc, char **argv, int lines, const QString &format)
{
    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    app::createWindows();
    prog->ListBox1->clear();
    prog->ListBox1->addItems(bench::familyEntries(lines));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sheet.") + format.toLower());
    dialogs::setNextAnswer(file);
    prog->cbdrucker->addItem(format + QStringLiteral("-Image"));
    prog->cbdrucker->setCurrentIndex(prog->cbdrucker->count() - 1);

    // Peak resident memory from here on.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const long long before = bench::statusKb("VmRSS:");
    const auto start = bench::Clock::now();
    prog->Button1Click();
    const double ms = bench::microsecondsSince(start) / 1000;
    const long long peak = bench::statusKb("VmHWM:");

    const QSize size = QImageReader(file).size();
    if (!size.isValid()) {
        std::fprintf(stderr, "no image written (%s)\n", dialogs::shown().isEmpty() ? "" : qPrintable(dialogs::shown().last().text));
        return 1;
    }
    const double imageMb = double(size.width()) * size.height() * 4 / 1e6;
    const double extraMb = double(peak - before) / 1000;
    std::printf("%.1f %d %d %.1f %.1f\n", ms, size.width(), size.height(), imageMb, extraMb);
    app::destroyWindows();
    return 0;
}

double pangoPng(int argc, char **argv, int lines)
{
    app::Application application(argc, argv);
    app::createWindows();
    const QStringList entries = bench::familyEntries(lines);
    prog->ListBox1->clear();
    prog->ListBox1->addItems(entries);
    QString markup;
    for (int i = 0; i < entries.size(); ++i)
        markup += QStringLiteral("<span font_family=\"%1\" size=\"8pt\">%2</span>\n")
                      .arg(FontNameOfEntry(entries.at(i)).toHtmlEscaped(),
                           (prog->GetText1(i) + prog->GetText2(i)).toHtmlEscaped());
    app::destroyWindows();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("sheet.txt")));
    if (!file.open(QIODevice::WriteOnly) || file.write(markup.toUtf8()) < 0)
        return -1;
    file.close();
    double best = -1;
    for (int run = 0; run < 3; ++run) {
        QProcess pango;
        const auto start = bench::Clock::now();
        pango.start(QStringLiteral("pango-view"), {QStringLiteral("-q"), QStringLiteral("--markup"),
                                                   QStringLiteral("--dpi=96"), QStringLiteral("-o"),
                                                   dir.filePath(QStringLiteral("sheet.png")), file.fileName()});
        if (!pango.waitForFinished(600000) || pango.exitCode() != 0)
            return -1;
        const double ms = bench::microsecondsSince(start) / 1000;
        best = best < 0 ? ms : std::min(best, ms);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3)
        return runCase(argc, argv, std::atoi(argv[1]), QString::fromLatin1(argv[2]));

    // Each case in a process of its own, so one case's memory does not hide the next one's peak;
    // the best time of three runs.
    for (const char *format : {"BMP", "JPG"}) {
        double times[2] = {0, 0};
        for (int which = 0; which < 2; ++which) {
            const char *lines = which == 0 ? "500" : "2000";
            QStringList best;
            for (int run = 0; run < 3; ++run) {
                QProcess child;
                child.start(QString::fromLocal8Bit(argv[0]), {QString::fromLatin1(lines), QString::fromLatin1(format)});
                child.waitForFinished(-1);
                const QStringList figures = QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
                if (figures.size() != 5) {
                    std::fprintf(stderr, "case %s %s failed\n", lines, format);
                    return 1;
                }
                if (best.isEmpty() || figures.at(0).toDouble() < best.at(0).toDouble())
                    best = figures;
            }
            times[which] = best.at(0).toDouble();
            std::printf("%5s lines %s: %8.1f ms (best of 3), image %s x %s (%s MB), peak memory +%s MB = %.2f x image\n",
                        lines, format, times[which], qPrintable(best.at(1)), qPrintable(best.at(2)),
                        qPrintable(best.at(3)), qPrintable(best.at(4)), best.at(4).toDouble() / best.at(3).toDouble());
        }
        std::printf("  %s: 2000 lines take %.2f times the time of 500 (target: at most 4.5)\n", format, times[1] / times[0]);
    }
    const double pango = pangoPng(argc, argv, 500);
    std::printf("pango-view, the same 500 lines to PNG: %.1f ms (best of 3)\n", pango);
    return 0;
}
