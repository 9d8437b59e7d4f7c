// Times a font sheet of 1,000 lines over all installed font families printed to Qt's PDF engine
// through the program's own output command, against pango-view rendering the same lines (one span
// per line in the same font and size, from a markup file) to PDF.
// Usage: bench_printsheet [lines] [runs]   (offscreen unless QT_QPA_PLATFORM is set)

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontEntry.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "typeface/SystemFonts.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    app::createWindows();
    const QStringList families = platform::printerTypefaces();
    const QStringList entries = bench::familyEntries(lines);
    prog->ListBox1->clear();
    prog->ListBox1->addItems(entries);
    const QString sample = prog->cd1->currentText();

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    platform::Printer::instance().setPdfOutput(pdf);
    prog->cbdrucker->setCurrentIndex(0);
    double ours = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = bench::Clock::now();
        prog->Button1Click();
        const double elapsed = bench::microsecondsSince(start);
        ours = run == 0 ? elapsed : std::min(ours, elapsed);
    }

    // The same lines as pango markup: the label part in the entry's font (form A), 8 points.
    QString markup;
    for (int i = 0; i < prog->ListBox1->count(); ++i) {
        const QString text = prog->GetText1(i) + prog->GetText2(i);
        markup += QStringLiteral("<span font_family=\"%1\" size=\"8pt\">%2</span>\n")
                      .arg(FontNameOfEntry(entries.at(i)).toHtmlEscaped(), text.toHtmlEscaped());
    }
    const QString markupFile = dir.filePath(QStringLiteral("sheet.txt"));
    QFile file(markupFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(markup.toUtf8()) < 0)
        return 1;
    file.close();
    double pango = 0;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        const auto start = bench::Clock::now();
        process.start(QStringLiteral("pango-view"),
                      {QStringLiteral("-q"), QStringLiteral("--markup"), QStringLiteral("--dpi=600"),
                       QStringLiteral("-o"), dir.filePath(QStringLiteral("pango.pdf")), markupFile});
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            std::fprintf(stderr, "pango-view failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        const double elapsed = bench::microsecondsSince(start);
        pango = run == 0 ? elapsed : std::min(pango, elapsed);
    }

    std::printf("sheet of %d lines over %d font families (best of %d runs)\n", lines, int(families.size()), runs);
    std::printf("our sheet to Qt's PDF engine: %8.1f ms (%s, %lld bytes)\n", ours / 1000, "direct printing",
                static_cast<long long>(QFileInfo(pdf).size()));
    std::printf("pango-view to PDF:            %8.1f ms\n", pango / 1000);
    std::printf("ratio: ours takes %.2f of pango-view's time (target: at most 0.5)\n", ours / pango);
    app::destroyWindows();
    return 0;
}
