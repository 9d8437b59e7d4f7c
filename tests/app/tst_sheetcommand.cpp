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

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QThread>

#include <csignal>
#include <functional>
#include <utility>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/stat.h>

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

    // The program run as from a terminal without any display; `inChild` runs in the new process
    // before the program starts.
    Result runProgram(const QStringList &arguments, const std::function<void()> &inChild = {})
    {
        QProcess program;
        prepare(program, inChild);
        program.start(QStringLiteral(GW_PROGRAM), arguments);
        if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
            return {};
        return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                QString::fromUtf8(program.readAllStandardError())};
    }

    void prepare(QProcess &program, const std::function<void()> &inChild)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_dir.path());
        if (inChild)
            program.setChildProcessModifier(inChild);
    }

    QStringList sheetArguments(const QString &file) const
    {
        return {QStringLiteral("--sheet"), file, QStringLiteral("--folder"), m_fonts, QStringLiteral("--no-system-fonts")};
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
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("runtime"))));
        QVERIFY(::chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("runtime"))).constData(), 0700) == 0);
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
        QCOMPARE(c.options.format, output::SheetTarget::Jpeg);
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
        QTest::newRow("format with a sheet") << QStringList{"--sheet", "a.pdf", "--format", "tsv"} << "'--format' needs '--list-fonts'";
        QTest::newRow("format alone") << QStringList{"--format", "json"} << "Options need '--sheet FILE' or '--list-fonts'";
        QTest::newRow("stray argument") << QStringList{"--sheet", "a.pdf", "b.pdf"} << "Unexpected argument 'b.pdf'";
        QTest::newRow("size 0") << QStringList{"--sheet", "a.pdf", "--size", "0"} << "sizes from 1 to 1638 points";
        QTest::newRow("size 10000") << QStringList{"--sheet", "a.pdf", "--size", "10000"} << "The font size 10000";
        QTest::newRow("German, parser") << QStringList{"--german", "--sheet", "a.pdf", "--size"} << "Es fehlt ein Wert nach '--size'";
        QTest::newRow("German, unknown") << QStringList{"--bogus", "--german"} << "Unbekannte Option 'bogus'";
        QTest::newRow("German, own") << QStringList{"--sheet", "a.png", "--german"} << "Das Format von 'a.png'";
        QTest::newRow("German, size") << QStringList{"--sheet", "a.pdf", "--size", "0", "--german"} << "Die Schriftgröße 0";
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

    // Every file target writes through the one safe save: a full disk (a file-size limit) leaves
    // the old file as it was and no part of the new one; the user's own link is written through;
    // a link another user planted in a shared folder, a FIFO and a link to a device are refused
    // with the reason in the interface language and left as they were.
    void saveTargets_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("full");
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("reason"); // empty: written
        for (const char *extension : {"pdf", "bmp", "docx"}) {
            QTest::addRow("%s, existing file", extension) << extension << "file" << false << false << "";
            QTest::addRow("%s, existing file, disk full", extension) << extension << "file" << true << false
                                                                      << "File too large";
            QTest::addRow("%s, own link", extension) << extension << "own" << false << false << "";
            QTest::addRow("%s, own link, disk full", extension) << extension << "own" << true << false
                                                                 << "File too large";
            QTest::addRow("%s, planted link", extension) << extension << "planted" << false << false
                                                          << "another user put into a shared folder";
            QTest::addRow("%s, planted link, German", extension) << extension << "planted" << false << true
                                                                  << "ein anderer Benutzer";
            QTest::addRow("%s, FIFO, German", extension) << extension << "fifo" << false << true
                                                          << "Gerät oder einer Pipe";
            QTest::addRow("%s, link to /dev/null", extension) << extension << "null" << false << false
                                                               << "device or pipe, not to a file";
        }
    }
    void saveTargets()
    {
        QFETCH(QString, extension);
        QFETCH(QString, target);
        QFETCH(bool, full);
        QFETCH(bool, german);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString shared = dir.filePath(QStringLiteral("shared"));
        const QString victim = dir.filePath(QStringLiteral("own/victim.") + extension);
        QVERIFY(QDir().mkpath(shared) && ::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        QVERIFY(gwtest::writeFile(victim, "old"));
        const QString path = shared + QStringLiteral("/sheet.") + extension;
        const QByteArray native = QFile::encodeName(path);
        if (target == QLatin1String("file"))
            QVERIFY(gwtest::writeFile(path, "old"));
        else if (target == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        else
            QCOMPARE(::symlink(target == QLatin1String("null") ? "/dev/null" : QFile::encodeName(victim).constData(),
                               native.constData()),
                     0);
        if (target == QLatin1String("planted"))
            QCOMPARE(::lchown(native.constData(), 65534, 65534), 0);

        QStringList arguments = sheetArguments(path) << QStringLiteral("--quiet");
        if (german)
            arguments << QStringLiteral("--german");
        const Result r = runProgram(arguments, [full] {
            if (!full)
                return;
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit small{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &small);
        });
        const QString written = target == QLatin1String("own") ? victim : path;
        struct stat st;
        QCOMPARE(::lstat(native.constData(), &st), 0);
        if (reason.isEmpty()) {
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QVERIFY(QFileInfo(written).size() > 1000);
            QCOMPARE(S_ISLNK(st.st_mode), target == QLatin1String("own"));
        } else {
            QVERIFY2(r.code == 1 && r.err.contains(path) && r.err.contains(reason), qPrintable(r.err));
            QCOMPARE(S_ISFIFO(st.st_mode), target == QLatin1String("fifo"));
            QCOMPARE(S_ISLNK(st.st_mode), target != QLatin1String("fifo") && target != QLatin1String("file"));
            if (target != QLatin1String("fifo") && target != QLatin1String("null")) {
                QFile old(written);
                QVERIFY(old.open(QIODevice::ReadOnly));
                QCOMPARE(old.readAll(), QByteArray("old"));
            }
        }
        QCOMPARE(QDir(shared).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("sheet.") + extension});
        QCOMPARE(QDir(dir.filePath(QStringLiteral("own"))).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                                                     | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("victim.") + extension});
    }

    // Ctrl+C, a hang-up or a termination request during a run ends it with "Interrupted." and
    // exit status 1, the old file as it was. The program is caught in the run without a clock:
    // its standard error is a full pipe, so it stops in its first progress line, and the signal
    // comes once it waits there with the run's handler in place.
    void interruptKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("signal");
        QTest::newRow("docx, SIGTERM") << "docx" << SIGTERM;
        QTest::newRow("docx, SIGHUP") << "docx" << SIGHUP;
        QTest::newRow("docx, SIGINT") << "docx" << SIGINT;
        QTest::newRow("pdf, SIGTERM") << "pdf" << SIGTERM;
    }
    void interruptKeepsTheOldFile()
    {
        QFETCH(QString, extension);
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.") + extension);
        QVERIFY(gwtest::writeFile(path, "old"));
        int pipe[2];
        QCOMPARE(::pipe2(pipe, O_CLOEXEC), 0);
        const auto closePipe = qScopeGuard([&] {
            ::close(pipe[0]);
            if (pipe[1] >= 0)
                ::close(pipe[1]);
        });
        QVERIFY(::fcntl(pipe[1], F_SETPIPE_SZ, 4096) > 0);
        QCOMPARE(::fcntl(pipe[1], F_SETFL, O_NONBLOCK), 0);
        const QByteArray filler(4096, '.');
        while (::write(pipe[1], filler.constData(), size_t(filler.size())) > 0) {
        }
        QProcess program;
        const int errorEnd = pipe[1];
        prepare(program, [errorEnd] {
            ::fcntl(errorEnd, F_SETFL, 0);
            ::dup2(errorEnd, 2);
        });
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(GW_PROGRAM), sheetArguments(path));
        QVERIFY(program.waitForStarted());
        ::close(std::exchange(pipe[1], -1));
        const QByteArray proc = "/proc/" + QByteArray::number(program.processId());
        // Blocked in a write to standard error; a guard against a program that never gets there.
        QDeadlineTimer guard(60000);
        QByteArray call;
        while (!guard.hasExpired() && program.state() == QProcess::Running) {
            QFile syscall(QString::fromLatin1(proc + "/syscall"));
            if (syscall.open(QIODevice::ReadOnly) && (call = syscall.readAll()).startsWith("1 0x2 "))
                break;
            QThread::yieldCurrentThread();
        }
        QVERIFY2(call.startsWith("1 0x2 "), call.constData());
        QFile status(QString::fromLatin1(proc + "/status"));
        QVERIFY(status.open(QIODevice::ReadOnly));
        QByteArray caught;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                caught = line.mid(7).trimmed();
        QVERIFY2(caught.toULongLong(nullptr, 16) & (1ull << (signal - 1)), caught.constData());
        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QByteArray errors;
        char block[4096];
        for (ssize_t n; (n = ::read(pipe[0], block, sizeof block)) > 0;)
            errors.append(block, n);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(errors.contains("Interrupted."), errors.right(200).constData());
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("old.") + extension});
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

    // A folder that is not one is named for what it is.
    void noFolderExitsOne_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "" << "does not exist";
        QTest::newRow("file") << "file" << "is not a folder: it is a file.";
        QTest::newRow("fifo") << "fifo" << "is not a folder: it is a named pipe (FIFO).";
    }
    void noFolderExitsOne()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString folder = m_dir.filePath(QStringLiteral("nowhere-") + QTest::currentDataTag());
        if (kind == QLatin1String("file"))
            QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(folder).constData(), 0600), 0);
        const QString file = m_dir.filePath(QStringLiteral("none.pdf"));
        const Result r = runProgram({QStringLiteral("--sheet"), file, QStringLiteral("--folder"), folder,
                                     QStringLiteral("--no-system-fonts")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(folder + QLatin1Char('"')) && r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(file));
    }

    // Numbers that would leave every line off the page or the image are refused before anything
    // is written: an existing sheet stays as it was.
    void numbersNoTargetCanDrawExitOne_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("pdf spacing") << "n.pdf" << QStringList{"--line-spacing", "99999999"} << "line spacing (99999999)";
        QTest::newRow("pdf size") << "n.pdf" << QStringList{"--size", "1638"} << "font size (1638 points";
        QTest::newRow("pdf margins") << "n.pdf" << QStringList{"--margins", "99999999,0,0"} << "top margin (99999999)";
        QTest::newRow("bmp spacing") << "n.bmp" << QStringList{"--line-spacing", "99999999"} << "higher than an image";
    }
    void numbersNoTargetCanDrawExitOne()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        const QString file = m_dir.filePath(name);
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const Result r = runProgram(QStringList{QStringLiteral("--sheet"), file, QStringLiteral("--folder"), m_fonts,
                                                QStringLiteral("--no-system-fonts")}
                                    + options);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }

    // The progress counts the sheet's lines, for every target, and none for an empty list.
    void progressCountsTheLines_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("last");
        QTest::newRow("docx") << "p.docx" << "fonts" << "100 % (2/2 lines)";
        QTest::newRow("pdf") << "p.pdf" << "fonts" << "100 % (2/2 lines)";
        QTest::newRow("empty pdf") << "e.pdf" << "empty" << "";
    }
    void progressCountsTheLines()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(QString, last);
        QVERIFY(QDir(m_dir.path()).mkpath(folder));
        const Result r = runProgram({QStringLiteral("--sheet"), m_dir.filePath(name), QStringLiteral("--folder"),
                                     m_dir.filePath(folder), QStringLiteral("--no-system-fonts")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QStringList counts = r.err.split(QLatin1Char('\n')).filter(QStringLiteral(" lines)"));
        QCOMPARE(counts.isEmpty() ? QString() : counts.constLast(), last);
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
        const QString text = gwtest::pdfText({pdf, QStringLiteral("-")});
        QVERIFY2(!text.contains(QStringLiteral("unreadable")), qPrintable(text));
        QCOMPARE(text.count(folder + QLatin1Char('/')), fonts.size());
    }

    // A standard output or error that cannot be written (a full disk, a stream closed at the
    // start) is an error in every mode: status 1 (a usage error keeps 2), said on standard error
    // where that works; a sheet run stops and leaves no file, none of its output in a file.
    void failedOutputIsAnError_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("stream"); // the one that fails
        QTest::addColumn<bool>("closed"); // else /dev/full
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QStringList list{"--list-fonts", "--folder", m_fonts, "--no-system-fonts"};
        const QString out = QStringLiteral("Standard output cannot be written: ");
        for (const bool closed : {false, true}) {
            const char *sink = closed ? "closed" : "/dev/full";
            const auto row = [sink](const char *mode) -> QTestData & { return QTest::addRow("%s, %s", mode, sink); };
            row("list") << list << 1 << closed << 1 << out + (closed ? "Bad file descriptor" : "No space left on device");
            row("list, tsv") << list + QStringList{"--format", "tsv"} << 1 << closed << 1 << out;
            row("list, json") << list + QStringList{"--format", "json"} << 1 << closed << 1 << out;
            row("list, covering") << list + QStringList{"--covering", "Hamburg"} << 1 << closed << 1 << out;
            row("list, German") << list + QStringList{"--german"} << 1 << closed << 1
                                << "Die Standardausgabe kann nicht geschrieben werden";
            row("help") << QStringList{"--help"} << 1 << closed << 1 << out;
            row("version") << QStringList{"--version"} << 1 << closed << 1 << out;
            row("sheet") << sheetArguments(m_dir.filePath(QStringLiteral("unsaid.pdf"))) << 2 << closed << 1 << "";
            row("usage error") << QStringList{"--bogus"} << 2 << closed << 2 << "";
        }
    }
    void failedOutputIsAnError()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, stream);
        QFETCH(bool, closed);
        QFETCH(int, code);
        QFETCH(QString, message);
        const QString sheet = m_dir.filePath(QStringLiteral("unsaid.pdf"));
        QFile::remove(sheet);
        const Result r = runProgram(arguments, [stream, closed] {
            if (closed) {
                ::close(stream);
                return;
            }
            const int full = ::open("/dev/full", O_WRONLY);
            ::dup2(full, stream);
            ::close(full);
        });
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(sheet));
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
