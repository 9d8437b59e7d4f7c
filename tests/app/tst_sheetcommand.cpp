// The command line: reading the arguments, the progress text, and the program run without a
// display writing each format, refusing bad usage and leaving nothing where it cannot write.

#include "app/SheetCommand.h"
#include "app/SheetRun.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "util/EscapedText.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using app::CommandKind;

class TestSheetCommand : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_fonts;

    struct Result
    {
        int code = -1;
        QString out;
        QString err;
    };

    // The program run as from a terminal without any display.
    Result runProgram(const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_dir.path());
        program.start(QStringLiteral(GW_PROGRAM), arguments);
        if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
            return {};
        return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                QString::fromUtf8(program.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fonts = m_dir.filePath(QStringLiteral("fonts"));
        QVERIFY(QDir().mkpath(m_fonts + QStringLiteral("/sub")));
        const QString dejavu = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf"));
        QVERIFY(gwtest::makeRenamedFont(dejavu, m_fonts + QStringLiteral("/a.ttf"), QStringLiteral("Gw Cli Alpha"),
                                        QStringLiteral("Regular"), QStringLiteral("Gw Cli Alpha")));
        QVERIFY(gwtest::makeRenamedFont(dejavu, m_fonts + QStringLiteral("/sub/b.ttf"), QStringLiteral("Gw Cli Beta"),
                                        QStringLiteral("Regular"), QStringLiteral("Gw Cli Beta")));
    }

    void parsesSheetOptions()
    {
        const app::Command c = app::parseCommand(
            {QStringLiteral("--sheet"), QStringLiteral("out.JPEG"), QStringLiteral("--folder"), QStringLiteral("f"),
             QStringLiteral("--no-system-fonts"), QStringLiteral("--size"), QStringLiteral("14"),
             QStringLiteral("--margins"), QStringLiteral("1,2,3"), QStringLiteral("--labels"), QStringLiteral("name,file"),
             QStringLiteral("--no-labels-in-standard-font"), QStringLiteral("--landscape"), QStringLiteral("-platform"),
             QStringLiteral("xcb")});
        QCOMPARE(c.kind, CommandKind::Sheet);
        QCOMPARE(c.options.format, app::SheetFormat::Jpeg);
        QCOMPARE(c.options.folder, QStringLiteral("f"));
        QVERIFY(!c.options.systemFonts);
        QCOMPARE(c.options.size, 14);
        QCOMPARE(c.options.top, 1);
        QCOMPARE(c.options.left, 2);
        QCOMPARE(c.options.bottom, 3);
        QVERIFY(c.options.labels && !c.options.labels->number && c.options.labels->name && !c.options.labels->folder
                && c.options.labels->file);
        QCOMPARE(c.options.labelsInStandardFont, false);
        QVERIFY(c.options.landscape && !c.options.bold);
        QCOMPARE(app::parseCommand({}).kind, CommandKind::Window);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option") << QStringList{"--sheet", "a.pdf", "--bogus"} << "Unknown option 'bogus'";
        QTest::newRow("bad number") << QStringList{"--sheet", "a.pdf", "--size", "12pt"} << "Bad number '12pt'";
        QTest::newRow("negative number") << QStringList{"--sheet", "a.pdf", "--line-spacing", "-1"} << "Bad number '-1'";
        QTest::newRow("too large") << QStringList{"--sheet", "a.pdf", "--size", "99999999999"} << "Bad number";
        QTest::newRow("two margins") << QStringList{"--sheet", "a.pdf", "--margins", "1,2"} << "three numbers";
        QTest::newRow("missing value") << QStringList{"--sheet", "a.pdf", "--size"} << "Missing value after '--size'";
        QTest::newRow("missing file") << QStringList{"--sheet"} << "Missing value after '--sheet'";
        QTest::newRow("unknown label") << QStringList{"--sheet", "a.pdf", "--labels", "name,page"} << "Unknown label 'page'";
        QTest::newRow("unknown format") << QStringList{"--sheet", "a.png"} << "Cannot tell the format";
        QTest::newRow("sheet option alone") << QStringList{"--bold"} << "needs '--sheet FILE'";
        QTest::newRow("sheet and list") << QStringList{"--sheet", "a.pdf", "--list-fonts"} << "cannot be given together";
        QTest::newRow("stray argument") << QStringList{"--sheet", "a.pdf", "b.pdf"} << "Unexpected argument 'b.pdf'";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const app::Command c = app::parseCommand(arguments);
        QCOMPARE(c.kind, CommandKind::UsageError);
        QVERIFY2(c.error.contains(message), qPrintable(c.error));
    }

    void progressText()
    {
        // Without a terminal: a line at each tenth reached, from the start again for a new run.
        app::ProgressText lines(false, false);
        QCOMPARE(lines.update(0, 20, 0), QStringLiteral("0 % (0/20 lines)\n"));
        QCOMPARE(lines.update(1, 20, 0), QString());
        QCOMPARE(lines.update(2, 20, 0), QStringLiteral("10 % (2/20 lines)\n"));
        QCOMPARE(lines.update(20, 20, 0), QStringLiteral("100 % (20/20 lines)\n"));
        QCOMPARE(lines.update(0, 20, 0), QStringLiteral("0 % (0/20 lines)\n"));
        QCOMPARE(lines.finish(), QString());
        // A terminal: the bar rewritten in place, with the time left from the pace so far.
        app::ProgressText bar(true, false);
        QCOMPARE(bar.update(10, 40, 30000), QStringLiteral("\r[#######.......................] 10/40 lines, left 1:30"));
        QCOMPARE(bar.finish(), QStringLiteral("\n"));
    }

    // The manual page tells of every option --help does.
    void manualPageHasEveryOption()
    {
        QFile page(QStringLiteral(GW_SOURCE_DIR "/data/glyphworks.1"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString roff = QString::fromUtf8(page.readAll());
        static const QRegularExpression option(QStringLiteral("--[a-z-]+"));
        for (const bool german : {false, true}) {
            auto it = option.globalMatch(app::helpText(german));
            QVERIFY(it.hasNext());
            while (it.hasNext()) {
                const QString name = it.next().captured();
                QVERIFY2(roff.contains(QString(name).replace(QLatin1Char('-'), QStringLiteral("\\-"))), qPrintable(name));
            }
        }
    }

    // Ctrl+C during a run reaches it through the event loop, where the run can stop cleanly; the
    // signal's own handling is back once the run is over.
    void interruptComesThroughTheEventLoop()
    {
        struct sigaction before = {};
        QCOMPARE(::sigaction(SIGINT, nullptr, &before), 0);
        int calls = 0;
        {
            const app::InterruptWatch watch([&calls] { ++calls; });
            QCOMPARE(std::raise(SIGINT), 0);
            QCOMPARE(calls, 0);
            QCoreApplication::processEvents();
            QCOMPARE(calls, 1);
        }
        struct sigaction now = {};
        QCOMPARE(::sigaction(SIGINT, nullptr, &now), 0);
        QVERIFY(now.sa_handler == before.sa_handler);
    }

    void writesEachFormatWithoutDisplay_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pdf") << "s.pdf" << "pdfinfo" << "Pages:";
        QTest::newRow("bmp") << "s.bmp" << "identify" << "BMP";
        QTest::newRow("gif") << "s.gif" << "identify" << "GIF";
        QTest::newRow("jpg") << "s.jpg" << "djpeg" << "";
        QTest::newRow("docx") << "s.docx" << "docx" << "Gw Cli Beta";
    }

    void writesEachFormatWithoutDisplay()
    {
        QFETCH(QString, name);
        QFETCH(QString, reader);
        QFETCH(QString, expected);
        const QString file = m_dir.filePath(name);
        const Result r = runProgram({QStringLiteral("--sheet"), file, QStringLiteral("--folder"), m_fonts,
                                     QStringLiteral("--no-system-fonts"), QStringLiteral("--quiet")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFileInfo(file).size() > 0);
        if (reader == QLatin1String("docx")) {
            QProcess unzip;
            QProcess xmllint;
            unzip.setStandardOutputProcess(&xmllint);
            unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QStringLiteral("word/document.xml")});
            xmllint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("-")});
            QVERIFY(unzip.waitForFinished() && xmllint.waitForFinished());
            QCOMPARE(unzip.exitCode(), 0);
            QCOMPARE(xmllint.exitCode(), 0);
            const QString xml = gwtest::toolOutput(QStringLiteral("unzip"), {QStringLiteral("-p"), file,
                                                                            QStringLiteral("word/document.xml")});
            QVERIFY(xml.contains(expected));
        } else {
            const QString output = gwtest::toolOutput(reader, {file});
            QVERIFY(!output.isEmpty());
            QVERIFY2(output.contains(expected), qPrintable(output));
        }
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--sheet", "x.pdf", "--bogus"};
        QTest::newRow("bad number") << QStringList{"--sheet", "x.pdf", "--size", "big"};
        QTest::newRow("missing value") << QStringList{"--sheet", "x.pdf", "--text"};
    }

    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, arguments);
        const Result r = runProgram(arguments);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(app::usageLine()), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("x.pdf"))));
    }

    void unwritableOutputExitsOneAndWritesNothing()
    {
        // A folder stands where the sheet would go: the rename at the end fails, even as root.
        const QString folder = m_dir.filePath(QStringLiteral("taken"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/s.gif")));
        const Result r = runProgram({QStringLiteral("--sheet"), folder + QStringLiteral("/s.gif"),
                                     QStringLiteral("--folder"), m_fonts, QStringLiteral("--no-system-fonts")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("s.gif")), qPrintable(r.err));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("s.gif")});
        QVERIFY(QDir(folder + QStringLiteral("/s.gif")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void missingFolderExitsOne()
    {
        const QString file = m_dir.filePath(QStringLiteral("none.pdf"));
        const Result r = runProgram({QStringLiteral("--sheet"), file, QStringLiteral("--folder"),
                                     m_dir.filePath(QStringLiteral("nowhere")), QStringLiteral("--no-system-fonts")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QStringLiteral("nowhere")));
        QVERIFY(!QFileInfo::exists(file));
    }

    void listsTheFolderEntries()
    {
        const Result r = runProgram({QStringLiteral("--list-fonts"), QStringLiteral("--folder"), m_fonts,
                                     QStringLiteral("--no-system-fonts")});
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("Gw Cli Alpha")));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("Gw Cli Beta")));
    }

    // Fonts whose names hold " | " and a path, a line break, an escape sequence or a C1 control:
    // the list prints one escaped line per font, and the sheet sets each in the listed file's
    // face, never in a file its name points to.
    void hostileNames()
    {
        const QString folder = m_dir.filePath(QStringLiteral("hostile"));
        const QList<gwtest::HostileFont> fonts =
            gwtest::makeHostileNamedFonts(folder, m_dir.filePath(QStringLiteral("plant")));
        QVERIFY(!fonts.isEmpty());

        const Result list = runProgram({QStringLiteral("--list-fonts"), QStringLiteral("--folder"), folder,
                                        QStringLiteral("--no-system-fonts")});
        QCOMPARE(list.code, 0);
        QStringList lines = list.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.takeLast(), QString());
        QStringList expected;
        for (const gwtest::HostileFont &font : fonts)
            expected << util::escapeControls(font.name + QStringLiteral(" | ") + font.path);
        lines.sort();
        expected.sort();
        QCOMPARE(lines, expected);
        for (const QChar c : {QChar(0x1B), QChar(0x85), QChar(0x2028), QChar('\r')})
            QVERIFY(!list.out.contains(c));

        const QString pdf = m_dir.filePath(QStringLiteral("hostile.pdf"));
        const Result sheet = runProgram({QStringLiteral("--sheet"), pdf, QStringLiteral("--folder"), folder,
                                         QStringLiteral("--no-system-fonts"), QStringLiteral("--quiet")});
        QVERIFY2(sheet.code == 0, qPrintable(sheet.err));
        const QString embedded = gwtest::toolOutput(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(!embedded.contains(QStringLiteral("Planted")), qPrintable(embedded));
        const QString text = gwtest::toolOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(!text.contains(QStringLiteral("unreadable")), qPrintable(text));
        QCOMPARE(text.count(folder + QLatin1Char('/')), fonts.size());
    }

    // A message naming a file shows its control characters escaped, on one line.
    void messageNamesEscaped()
    {
        const QString missing = m_dir.filePath(QStringLiteral("no\nsuch\x1b[2J"));
        const Result r = runProgram({QStringLiteral("--list-fonts"), QStringLiteral("--folder"), missing});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(util::escapeControls(missing)), qPrintable(r.err));
        QVERIFY(!r.err.contains(QChar(0x1B)));
        const Result usage = runProgram({QStringLiteral("--sheet"), QStringLiteral("a\nb\x1b.xyz")});
        QCOMPARE(usage.code, 2);
        QVERIFY2(usage.err.contains(QStringLiteral("a\\nb\\x1b.xyz")), qPrintable(usage.err));
        QVERIFY(!usage.err.contains(QChar(0x1B)));
    }
};

GW_TEST_MAIN_CORE(TestSheetCommand)
#include "tst_sheetcommand.moc"
