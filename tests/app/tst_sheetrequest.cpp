// The sheet request: the output box's entries as targets, the command line's options as a
// request, and a sheet of the command line made without any window.

#include "app/SheetCommand.h"
#include "app/SheetRun.h"
#include "fonts/SampleTexts.h"
#include "output/SheetRequest.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using output::SheetTarget;

class TestSheetRequest : public QObject
{
    Q_OBJECT

private slots:
    void targetOfEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<SheetTarget>("target");
        QTest::newRow("standard, de") << "Standarddrucker" << SheetTarget::StandardPrinter;
        QTest::newRow("standard, en") << "Standard Printer" << SheetTarget::StandardPrinter;
        QTest::newRow("dialog, de") << "Drucker Dialog mit Optionen" << SheetTarget::PrintDialog;
        QTest::newRow("dialog, en") << "Printer Dialog with Options" << SheetTarget::PrintDialog;
        QTest::newRow("bmp, de") << "BMP-Bild" << SheetTarget::Bmp;
        QTest::newRow("jpg, en") << "JPG-Image" << SheetTarget::Jpeg;
        QTest::newRow("gif, de") << "GIF-Bild" << SheetTarget::Gif;
        QTest::newRow("doc, de") << "DOC-Microsoft Word® Dokument" << SheetTarget::Document;
        QTest::newRow("doc, en") << "DOC-Microsoft Word® Document" << SheetTarget::Document;
        QTest::newRow("pdf, de") << "PDF-Dokument" << SheetTarget::Pdf;
        QTest::newRow("pdf, en") << "PDF-Document" << SheetTarget::Pdf;
        QTest::newRow("printer") << "Office Laser" << SheetTarget::NamedPrinter;
        // Only the whole text names the standard printer; a printer that begins so is its own.
        QTest::newRow("printer like standard") << "Standard Printer 2" << SheetTarget::NamedPrinter;
        QTest::newRow("lower-case prefix") << "pdf-writer" << SheetTarget::NamedPrinter;
    }
    void targetOfEntry()
    {
        QFETCH(QString, entry);
        QFETCH(SheetTarget, target);
        QCOMPARE(output::targetOfEntry(entry), target);
    }

    // An option not given leaves what a sheet starts with in the window; one given replaces it.
    void requestFromOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("numbers"); // size spacing top left bottom
        QTest::addColumn<QString>("style");   // portrait italic bold german, as 0/1
        QTest::addColumn<QString>("labels");  // numbering name directory file standard-font, as 0/1
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<SheetTarget>("target");
        QTest::newRow("defaults") << QStringList{"--sheet", "a.pdf"} << "8 5 250 200 550" << "1000" << "11111"
                                  << "  --  " << fonts::englishExample0() << SheetTarget::Pdf;
        QTest::newRow("German defaults") << QStringList{"--sheet", "a.docx", "--german"} << "8 5 250 200 550" << "1001"
                                         << "11111" << "  --  " << fonts::germanExample0() << SheetTarget::Document;
        QTest::newRow("all given") << QStringList{"--sheet", "a.GIF", "--size", "14", "--line-spacing", "0",
                                                  "--margins", "1,2,3", "--labels", "name,file", "--separator", "|",
                                                  "--no-labels-in-standard-font", "--landscape", "--italic", "--bold",
                                                  "--text", "Xy"}
                                   << "14 0 1 2 3" << "0110" << "01010" << "|" << "Xy" << SheetTarget::Gif;
        QTest::newRow("no labels, empty text") << QStringList{"--sheet", "a.jpeg", "--labels", "", "--text", ""}
                                               << "8 5 250 200 550" << "1000" << "00001" << "  --  " << ""
                                               << SheetTarget::Jpeg;
    }
    void requestFromOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, numbers);
        QFETCH(QString, style);
        QFETCH(QString, labels);
        QFETCH(QString, separator);
        QFETCH(QString, sample);
        QFETCH(SheetTarget, target);
        const app::Command command = app::parseCommand(arguments);
        QCOMPARE(command.kind, app::CommandKind::Sheet);
        const output::SheetRequest r = app::sheetRequest(command.options, command.options.german);
        const output::SheetNumbers &n = r.numbers;
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5").arg(n.size).arg(n.spacing).arg(n.top).arg(n.left).arg(n.bottom),
                 numbers);
        const auto bits = [](std::initializer_list<bool> values) {
            QString text;
            for (const bool on : values)
                text += on ? QLatin1Char('1') : QLatin1Char('0');
            return text;
        };
        QCOMPARE(bits({r.style.portrait, r.style.italic, r.style.bold, r.style.german}), style);
        QCOMPARE(bits({r.labels.numbering, r.labels.fontName, r.labels.directory, r.labels.fileName,
                       r.standardFontLabels}),
                 labels);
        QCOMPARE(r.separator, separator);
        QCOMPARE(r.sampleText, sample);
        QCOMPARE(r.target, target);
        QCOMPARE(r.file, QFileInfo(arguments.at(1)).absoluteFilePath());
        QVERIFY(!r.split);
    }

    // A sheet of the command line is made without any window of the program: none is left
    // once it is written, and the windows' globals were never set.
    void sheetMakesNoWindow()
    {
        QTemporaryDir dir;
        const QString fonts = dir.filePath(QStringLiteral("fonts"));
        QVERIFY(QDir().mkpath(fonts));
        QVERIFY(QFile::copy(gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf")),
                            fonts + QStringLiteral("/a.ttf")));
        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
        const app::Command command = app::parseCommand({QStringLiteral("--sheet"), pdf, QStringLiteral("--folder"), fonts,
                                                        QStringLiteral("--no-system-fonts"), QStringLiteral("--quiet")});
        app::beginWindowlessRun();
        QCOMPARE(app::runWithoutWindows(command), 0);
        QVERIFY(QFileInfo(pdf).size() > 1000);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QVERIFY(!start && !prog && !einst && !status && !fpreview);
    }
};

GW_TEST_MAIN_APP(TestSheetRequest)
#include "tst_sheetrequest.moc"
