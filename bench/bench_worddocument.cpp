// Times a word-processor document of 1,000 lines over all installed font families, made through
// the program's own output command (the calls to the word processor and the .docx file), and then what
// LibreOffice takes to convert it headless to PDF, beside LibreOffice converting the same lines
// as plain text, so that the document's own share of the wait is visible.
// Usage: bench_worddocument [lines] [runs]   (offscreen unless QT_QPA_PLATFORM is set)

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Windows.h"
#include "platform/Dialogs.h"
#include "platform/DocumentOpener.h"
#include "typeface/SystemFonts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

class KeepingOpener : public platform::DocumentOpener
{
public:
    QString last;
    bool available() override { return true; }
    void openAsNew(const QString &path) override { last = path; }
};

// Milliseconds LibreOffice takes to convert `file` to PDF in the profile below `dir`.
double convert(const QTemporaryDir &dir, const QString &file)
{
    QProcess office;
    const auto start = bench::Clock::now();
    office.start(QStringLiteral("soffice"),
                 {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                  QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                  QStringLiteral("--outdir"), dir.filePath(QStringLiteral("pdf")), file});
    if (!office.waitForFinished(600000) || office.exitCode() != 0) {
        std::fprintf(stderr, "soffice failed on %s\n", qPrintable(file));
        std::exit(1);
    }
    return bench::microsecondsSince(start) / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    KeepingOpener opener;
    platform::setDocumentOpener(&opener);
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    app::createWindows();
    const QStringList families = platform::printerTypefaces();
    const QStringList entries = bench::familyEntries(lines);
    prog->ListBox1->clear();
    prog->ListBox1->addItems(entries);
    prog->cbdrucker->setCurrentIndex(prog->cbdrucker->findText(QStringLiteral("DOC-"), Qt::MatchStartsWith));

    double ours = 0;
    for (int run = 0; run < runs; ++run) {
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        const auto start = bench::Clock::now();
        prog->Button1Click();
        const double elapsed = bench::microsecondsSince(start) / 1000.0;
        ours = run == 0 ? elapsed : std::min(ours, elapsed);
    }
    const QString docx = opener.last;
    if (docx.isEmpty()) {
        std::fprintf(stderr, "no document was made\n");
        return 1;
    }

    QString text;
    for (int i = 0; i < prog->ListBox1->count(); ++i)
        text += prog->GetText1(i) + prog->GetText2(i) + QLatin1Char('\n');
    const QString txt = dir.filePath(QStringLiteral("sheet.txt"));
    QFile file(txt);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        return 1;
    file.close();

    // The first start makes the profile; it is left out of both figures.
    convert(dir, txt);
    double docxMs = 0;
    double txtMs = 0;
    for (int run = 0; run < 2; ++run) {
        const double d = convert(dir, docx);
        const double t = convert(dir, txt);
        docxMs = run == 0 ? d : std::min(docxMs, d);
        txtMs = run == 0 ? t : std::min(txtMs, t);
    }

    std::printf("%d lines over %lld families, %d fonts in the document, file %lld bytes\n", lines,
                static_cast<long long>(families.size()), int(std::min<qsizetype>(lines, families.size())),
                static_cast<long long>(QFileInfo(docx).size()));
    std::printf("document made (calls + .docx), best of %d:   %8.1f ms\n", runs, ours);
    std::printf("LibreOffice converting the .docx to PDF:      %8.1f ms\n", docxMs);
    std::printf("LibreOffice converting the plain text to PDF: %8.1f ms\n", txtMs);
    std::printf("until converted (document + conversion):     %8.1f ms\n", ours + docxMs);
    platform::setDocumentOpener(nullptr);
    app::destroyWindows();
    return 0;
}
