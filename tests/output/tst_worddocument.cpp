// The word processor of the word-processor target with a stand-in for the desktop's opener: the
// documents it writes, read back as archives and converted to PDF by LibreOffice (headless, in a
// profile of its own), then checked with poppler's tools.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "fonts/FontEntry.h"
#include "output/DocxWriter.h"
#include "output/Teinst.h"
#include "output/WordApplication.h"
#include "output/WordSheet.h"
#include "platform/DocumentOpener.h"
#include "typeface/FontFile.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QScopeGuard>

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <zip.h>

namespace {

// Renames a font file's faces and sets its embedding permission bits.
const char *const kMakeFontScript = R"(
import sys
from fontTools.ttLib import TTFont
src, dst, family, fstype = sys.argv[1:5]
font = TTFont(src)
table = font['name']
for nid in (1, 2, 3, 4, 6, 16, 17, 21, 22):
    table.removeNames(nameID=nid)
for pid, eid, lid in ((1, 0, 0), (3, 1, 0x409)):
    for nid, text in ((1, family), (2, 'Regular'), (3, family + ' probe'), (4, family), (6, family.replace(' ', '-'))):
        table.setName(text, nid, pid, eid, lid)
font['OS/2'].fsType = int(fstype)
if 'CFF ' in font:
    cff = font['CFF '].cff
    cff.fontNames = [family.replace(' ', '-')]
    for key in ('FullName', 'FamilyName'):
        setattr(cff.topDictIndex[0], key, family)
font.save(dst)
)";

// Gives a font a name table of 10,002 records: family and full name "Crafted Names", then 10,000
// family names of 15,000 characters in languages of their own, each one differing from the
// others only near its end (the strings overlap, as 16-bit offsets allow).
const char *const kCraftNamesScript = R"(
import struct, sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables.DefaultTable import DefaultTable
src, dst = sys.argv[1:3]
n, long, real = 10000, 30000, 'Crafted Names'.encode('utf-16-be')
start = 6 + 12 * (n + 2)
base = start - 0xFFFF
storage = real + 'A'.encode('utf-16-be') * (long // 2) + ''.join(chr(0x100 + j) for j in range(5600)).encode('utf-16-be')
table = struct.pack('>3H', 0, n + 2, 0xFFFF)
table += struct.pack('>6H', 3, 1, 0x409, 1, len(real), base) + struct.pack('>6H', 3, 1, 0x409, 4, len(real), base)
for i in range(n):
    table += struct.pack('>6H', 3, 1, 0x1000 + i, 1, long, base + len(real) + 2 * (i % 5500))
font = TTFont(src)
font['name'] = DefaultTable('name')
font['name'].data = table + storage
font.save(dst)
)";

bool makeFont(const QString &target, const QString &family, int fsType,
              const QString &source = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"),
                                                              QStringLiteral("DejaVuSansMono.ttf")))
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kMakeFontScript), source,
                                                      target, family, QString::number(fsType)});
    return python.waitForFinished(60000) && python.exitCode() == 0;
}

// Starts `arguments` (a program that copies its input to its output) and returns once that program
// runs and has answered a line: its environment is in place then, not still being set up.
bool startAnswering(QProcess &process, const QStringList &arguments, const QProcessEnvironment &environment)
{
    process.setProcessEnvironment(environment);
    process.start(arguments.first(), arguments.mid(1));
    if (!process.waitForStarted() || process.write("ready\n") != 6)
        return false;
    while (!process.canReadLine())
        if (!process.waitForReadyRead(60000))
            return false;
    return process.readLine() == "ready\n";
}

class RecordingOpener : public platform::DocumentOpener
{
public:
    bool present = true;
    QStringList opened;
    QString fontConfiguration;
    bool available() override { return present; }
    void openAsNew(const QString &path) override { openAsNewWithFonts(path, {}); }
    void openAsNewWithFonts(const QString &path, const QString &fonts) override
    {
        opened << path;
        fontConfiguration = fonts;
    }
};

// One part of a .docx archive.
QByteArray part(const QString &archive, const char *name)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_stat(zip, name, 0, &stat) == 0) {
        zip_file_t *file = zip_fopen(zip, name, 0);
        bytes.resize(qsizetype(stat.size));
        if (!file || zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
            bytes.clear();
        if (file)
            zip_fclose(file);
    }
    zip_discard(zip);
    return bytes;
}

QStringList pdfFonts(const QString &pdf)
{
    QStringList names;
    const QStringList lines = gwtest::toolOutput(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n')).mid(2);
    for (const QString &line : lines)
        if (!line.isEmpty())
            names << line.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('+'), -1);
    return names;
}

bool isLandscape(const QString &pdf)
{
    const QString info = gwtest::toolOutput(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page size:\\s*([\\d.]+) x ([\\d.]+)")).match(info);
    return m.captured(1).toDouble() > m.captured(2).toDouble();
}

} // namespace

class TestWordDocument : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    RecordingOpener m_opener;

    QString makeDocument(const QStringList &entries)
    {
        prog->ListBox1->clear();
        prog->ListBox1->addEntries(gwtest::recordsOf(entries));
        prog->cd1->setEditText(QStringLiteral("Probe"));
        prog->cbdrucker->setCurrentIndex(prog->cbdrucker->findText(QStringLiteral("DOC-"), Qt::MatchStartsWith));
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        prog->show();
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
        return m_opener.opened.isEmpty() ? QString() : m_opener.opened.last();
    }

    // Lists the font files of `folder` alone, as the program loads a folder.
    void loadFolder(const QString &folder)
    {
        prog->cb_system->setChecked(false);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(folder);
        prog->SchriftenNeuLadenClick();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
        platform::setDocumentOpener(&m_opener);
    }

    void cleanupTestCase() { platform::setDocumentOpener(nullptr); }

    void init()
    {
        dialogs::clearShown();
        m_opener.opened.clear();
        m_opener.present = true;
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup() { app::destroyWindows(); }

    // Two documents cover the forms, the orientations, the styles and the folder fonts, so that
    // LibreOffice starts once.
    void documentsThroughLibreOffice()
    {
        const QString folder = m_dir.filePath(QStringLiteral("fonts"));
        const QString zork = folder + QStringLiteral("/zork.ttf");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(makeFont(zork, QStringLiteral("Zork Probe Mono"), 0));
        QVERIFY(makeFont(folder + QStringLiteral("/quux.ttf"), QStringLiteral("Quux Restricted"), 2));
        loadFolder(folder);
        const QStringList fileEntries = {prog->ListBox1->item(0)->text(), prog->ListBox1->item(1)->text()};
        QCOMPARE(prog->file_font_paths.size(), 2);
        const QStringList entries = {QStringLiteral("DejaVu Serif"), fileEntries.at(0), QStringLiteral("DejaVu Sans"),
                                     fileEntries.at(1)};

        einst->cb_stdname->setChecked(true);
        einst->or_quer->setChecked(true);
        einst->cb3->setChecked(true);
        einst->cb4->setChecked(true);
        const QString first = makeDocument(entries);
        einst->cb_stdname->setChecked(false);
        einst->or_hoch->setChecked(true);
        einst->cb3->setChecked(false);
        einst->cb4->setChecked(false);
        const QString second = makeDocument(entries);
        QCOMPARE(m_opener.opened.size(), 2);
        QVERIFY(first.startsWith(output::documentFolder() + QLatin1Char('/')));
        QVERIFY(first.endsWith(QLatin1String(".docx")));
        QCOMPARE(QFileInfo(output::documentFolder()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);

        // The folder font that may be embedded travels under its name, keyed; the restricted one
        // does not.
        const QString fontTable = QString::fromUtf8(part(first, "word/fontTable.xml"));
        const QRegularExpressionMatch key = QRegularExpression(
            QStringLiteral("w:name=\"Zork Probe Mono\"><w:embedRegular r:id=\"rId1\" w:fontKey=\"(\\{[0-9A-F-]{36}\\})\""))
                                                .match(fontTable);
        QVERIFY2(key.hasMatch(), qPrintable(fontTable));
        QVERIFY(!fontTable.contains(QLatin1String("Quux")));
        QFile original(zork);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(output::docx::obfuscate(part(first, "word/fonts/font1.odttf"), QUuid::fromString(key.captured(1))),
                 original.readAll());

        const QString pdfFolder = m_dir.filePath(QStringLiteral("pdf"));
        QProcess office;
        office.start(QStringLiteral("soffice"),
                     {QStringLiteral("-env:UserInstallation=file://") + m_dir.filePath(QStringLiteral("profile")),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                      QStringLiteral("--outdir"), pdfFolder, first, second});
        QVERIFY(office.waitForFinished(240000));
        const QString firstPdf = pdfFolder + QLatin1Char('/') + QFileInfo(first).completeBaseName() + QStringLiteral(".pdf");
        const QString secondPdf = pdfFolder + QLatin1Char('/') + QFileInfo(second).completeBaseName() + QStringLiteral(".pdf");

        for (const QString &pdf : {firstPdf, secondPdf}) {
            // Every entry one paragraph, one line, in list order.
            QStringList lines = gwtest::toolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                                    .split(QLatin1Char('\n'));
            lines.removeIf([](const QString &l) { return l.trimmed().isEmpty(); });
            QCOMPARE(lines.size(), 4);
            for (int i = 0; i < 4; ++i) {
                const QString name = FontNameOfEntry(entries.at(i));
                QVERIFY2(lines.at(i).simplified().startsWith(QStringLiteral("%1 -- %2 -- ").arg(i + 1).arg(name)),
                         qPrintable(lines.at(i)));
                QVERIFY(lines.at(i).trimmed().endsWith(QLatin1String("Probe")));
            }
        }
        QVERIFY(isLandscape(firstPdf));
        QVERIFY(!isLandscape(secondPdf));

        const QStringList firstFonts = pdfFonts(firstPdf);
        const QStringList secondFonts = pdfFonts(secondPdf);
        QVERIFY2(firstFonts.contains(QLatin1String("LiberationSans-BoldItalic")), qPrintable(firstFonts.join(' ')));
        QVERIFY2(firstFonts.contains(QLatin1String("DejaVuSerif-BoldItalic")), qPrintable(firstFonts.join(' ')));
        QVERIFY2(secondFonts.contains(QLatin1String("DejaVuSerif")), qPrintable(secondFonts.join(' ')));
        QVERIFY(!secondFonts.join(' ').contains(QLatin1String("Liberation")));
        for (const QStringList &fonts : {firstFonts, secondFonts}) {
            QVERIFY2(fonts.join(' ').contains(QLatin1String("Zork-Probe-Mono")), qPrintable(fonts.join(' ')));
            QVERIFY(!fonts.join(' ').contains(QLatin1String("Quux")));
        }
    }

    // The Writer the program starts takes the folder's .otf file as a font of its own and shows
    // the text in it: also a font that may not travel in the document, as here, so only the
    // fonts handed to Writer can show it.
    void otfFolderFontReachesWriter()
    {
        const QString folder = m_dir.filePath(QStringLiteral("otf"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(makeFont(folder + QStringLiteral("/blorp.otf"), QStringLiteral("Blorp Probe Serif"), 2,
                         gwtest::packageFontFile(QStringLiteral("fonts-urw-base35"), QStringLiteral("C059-Roman.otf"))));
        loadFolder(folder);
        QCOMPARE(prog->file_font_paths.size(), 1);
        const QString document = makeDocument({prog->ListBox1->item(0)->text()});
        QVERIFY(!document.isEmpty());
        const QString configuration = m_opener.fontConfiguration;
        QVERIFY(!configuration.isEmpty());
        QCOMPARE(QFileInfo(QFileInfo(configuration).path()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);

        const QString pdfFolder = m_dir.filePath(QStringLiteral("otf-pdf"));
        QProcess office;
        office.setProcessEnvironment(platform::DesktopOpener::officeEnvironment(configuration));
        office.start(QStringLiteral("soffice"),
                     {QStringLiteral("-env:UserInstallation=file://") + m_dir.filePath(QStringLiteral("profile")),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                      QStringLiteral("--outdir"), pdfFolder, document});
        QVERIFY(office.waitForFinished(240000));
        const QStringList fonts =
            pdfFonts(pdfFolder + QLatin1Char('/') + QFileInfo(document).completeBaseName() + QStringLiteral(".pdf"));
        // Writer writes the face's name without its hyphens.
        QVERIFY2(fonts.join(' ').remove(QLatin1Char('-')).contains(QLatin1String("BlorpProbeSerif")), qPrintable(fonts.join(' ')));
    }

    // Each line's text is in the font of its own file: two files of one name both travel, the
    // second under a name of its own. The copies handed to the word processor are kept once for
    // every document; a document's folder goes when no running process uses it, and the copies no
    // folder links beyond the bound, the least recently used first.
    void eachFileTravelsAndCopiesAreShared()
    {
        // A cache folder of its own: what is removed below is counted among this test's documents
        // alone, whenever the word processors of earlier tests let go of theirs.
        const QByteArray cache = qgetenv("XDG_CACHE_HOME");
        const auto restoreCache = qScopeGuard([cache] { qputenv("XDG_CACHE_HOME", cache); });
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("twins-cache"))));
        const QString folder = m_dir.filePath(QStringLiteral("twins"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
        QVERIFY(makeFont(folder + QStringLiteral("/a.ttf"), QStringLiteral("Twin Probe"), 0));
        QVERIFY(makeFont(folder + QStringLiteral("/sub/b.ttf"), QStringLiteral("Twin Probe"), 0,
                         gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf"))));
        loadFolder(folder);
        QCOMPARE(prog->file_font_paths.size(), 2);
        const QStringList entries = {prog->ListBox1->item(0)->text(), prog->ListBox1->item(1)->text()};
        const QString copies = output::documentFolder() + QLatin1Char('/') + QLatin1String(platform::kFontCopiesFolder);
        const QStringList earlier = QDir(copies).entryList(QDir::Files);
        const QString first = makeDocument(entries);
        const QString firstFonts = QFileInfo(m_opener.fontConfiguration).path();
        const QString second = makeDocument(entries);
        const QString secondFonts = QFileInfo(m_opener.fontConfiguration).path();
        QVERIFY(!first.isEmpty() && !second.isEmpty() && firstFonts != secondFonts);

        const QString fontTable = QString::fromUtf8(part(first, "word/fontTable.xml"));
        QVERIFY2(fontTable.contains(QLatin1String("w:name=\"Twin Probe\"")) && fontTable.contains(QLatin1String("w:name=\"Twin Probe (2)\"")),
                 qPrintable(fontTable));
        QVERIFY(!part(first, "word/fonts/font2.odttf").isEmpty());
        const QString xml = QString::fromUtf8(part(first, "word/document.xml"));
        QVERIFY(xml.contains(QLatin1String("w:ascii=\"Twin Probe\"")) && xml.contains(QLatin1String("w:ascii=\"Twin Probe (2)\"")));

        QStringList made = QDir(copies).entryList(QDir::Files);
        for (const QString &name : earlier)
            made.removeOne(name);
        QCOMPARE(made.size(), 2);
        for (const QString &name : std::as_const(made)) {
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(copies + QLatin1Char('/') + name).constData(), &st), 0);
            QCOMPARE(st.st_nlink, nlink_t(3));
        }

        // Both folders older than the grace; a process still runs with the first one's fonts.
        const utimbuf aged{std::time(nullptr) - 2 * 86400, std::time(nullptr) - 2 * 86400};
        for (const QString &fonts : {firstFonts, secondFonts})
            QVERIFY(::utime(QFile::encodeName(fonts).constData(), &aged) == 0);
        QProcess user;
        QVERIFY(startAnswering(user, {QStringLiteral("cat")},
                               platform::DesktopOpener::officeEnvironment(firstFonts + QStringLiteral("/fonts.conf"))));
        QCOMPARE(platform::removeUnusedFontCopies(output::documentFolder(), 0), 1);
        QVERIFY(QFileInfo::exists(firstFonts) && !QFileInfo::exists(secondFonts));
        for (const QString &name : std::as_const(made))
            QVERIFY(QFileInfo::exists(copies + QLatin1Char('/') + name));
        user.kill();
        QVERIFY(user.waitForFinished());
        QCOMPARE(platform::removeUnusedFontCopies(output::documentFolder(), 0), 3);
        for (const QString &name : std::as_const(made))
            QVERIFY(!QFileInfo::exists(copies + QLatin1Char('/') + name));
    }

    // The font copies' folder holds the program's own files alone: whatever else is planted at a
    // copy's name is never written through, opened or linked into a document's folder, which
    // gets the font's very bytes either way.
    void fontCopiesAreOwnFiles_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("other bytes of the same size") << "bytes";
        QTest::newRow("file of another owner") << "owner";
    }
    void fontCopiesAreOwnFiles()
    {
        QFETCH(QString, planted);
        if (planted == QLatin1String("owner") && ::geteuid() != 0)
            QSKIP("Only root can give a file to another owner.");
        QTemporaryDir parent(m_dir.filePath(QStringLiteral("store-XXXXXX")));
        const QByteArray font = "font copy probe";
        const QString store = parent.filePath(QLatin1String(platform::kFontCopiesFolder));
        const QString copy = store + QLatin1Char('/')
                             + QString::fromLatin1(QCryptographicHash::hash(font, QCryptographicHash::Sha256).toHex().left(40))
                             + QStringLiteral(".ttf");
        const QString precious = parent.filePath(QStringLiteral("precious.txt"));
        QVERIFY(QDir().mkdir(store) && gwtest::writeFile(precious, "precious"));
        if (planted == QLatin1String("link"))
            QVERIFY(QFile::link(precious, copy));
        else if (planted == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(copy).constData(), 0600), 0);
        else if (planted == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(copy));
        else
            QVERIFY(gwtest::writeFile(copy, planted == QLatin1String("bytes") ? QByteArray(font.size(), 'x') : font));
        if (planted == QLatin1String("owner"))
            QCOMPARE(::chown(QFile::encodeName(copy).constData(), 65534, 65534), 0);

        const QString handed = QFileInfo(platform::writeFontConfiguration(parent.path(), {font})).path() + QStringLiteral("/fonts/font-1.ttf");
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(handed).constData(), &st), 0);
        QVERIFY(S_ISREG(st.st_mode) && st.st_uid == ::geteuid());
        QFile file(handed);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), font);
        QFile target(precious);
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QByteArray("precious"));
        // A folder stays (the document's folder has a file of its own); anything else gave way to
        // a copy, which the document's folder shares.
        struct stat kept;
        QCOMPARE(::lstat(QFile::encodeName(copy).constData(), &kept), 0);
        QCOMPARE(S_ISDIR(kept.st_mode), planted == QLatin1String("folder"));
        if (planted != QLatin1String("folder"))
            QVERIFY(S_ISREG(kept.st_mode) && kept.st_uid == ::geteuid() && kept.st_ino == st.st_ino);
    }

    // A folder stays while a running process's FONTCONFIG_FILE names its fonts.conf, however
    // either spells it (a start with XDG_CACHE_HOME ending in "/" removes through "//"), and
    // while a process whose environment cannot be told may know it; the folder beside it goes.
    void folderInUseStays_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("removing");
        QTest::addColumn<int>("removed");
        QTest::newRow("removed through a trailing slash") << "{written}" << "{parent}/" << 1;
        QTest::newRow("doubled slashes") << "{parent}//{folder}//fonts.conf" << "{parent}" << 1;
        QTest::newRow("dots") << "{parent}/./{folder}/../{folder}/./fonts.conf" << "{parent}" << 1;
        QTest::newRow("through a link") << "{link}/{folder}/fonts.conf" << "{parent}" << 1;
        QTest::newRow("in HOME") << "~/{folder}/fonts.conf" << "{parent}" << 1;
        QTest::newRow("not found here") << "/nonexistent/{folder}/fonts.conf" << "{parent}" << 1;
        QTest::newRow("no environment") << "" << "{parent}" << 0;
    }
    void folderInUseStays()
    {
        QFETCH(QString, named);
        QFETCH(QString, removing);
        QFETCH(int, removed);
        QTemporaryDir parent(m_dir.filePath(QStringLiteral("in-use-XXXXXX")));
        const QString link = parent.path() + QStringLiteral("-link");
        const auto removeLink = qScopeGuard([link] { QFile::remove(link); });
        QVERIFY(QFile::link(parent.path(), link));
        const QString written = platform::writeFontConfiguration(parent.path(), {"in-use probe"});
        const QString used = QFileInfo(written).path();
        const QString unused = QFileInfo(platform::writeFontConfiguration(parent.path(), {"in-use probe"})).path();
        const utimbuf aged{std::time(nullptr) - 2 * 86400, std::time(nullptr) - 2 * 86400};
        for (const QString &folder : {used, unused})
            QVERIFY(::utime(QFile::encodeName(folder).constData(), &aged) == 0);
        named.replace(QLatin1String("{written}"), written)
            .replace(QLatin1String("{parent}"), parent.path())
            .replace(QLatin1String("{link}"), link)
            .replace(QLatin1String("{folder}"), QFileInfo(used).fileName());

        QProcessEnvironment environment = platform::DesktopOpener::officeEnvironment(named);
        environment.insert(QStringLiteral("HOME"), parent.path());
        QProcess user;
        const auto stop = qScopeGuard([&user] {
            user.kill();
            user.waitForFinished();
        });
        QVERIFY(startAnswering(user, named.isEmpty() ? QStringList{"env", "-i", "/bin/cat"} : QStringList{"cat"}, environment));
        QCOMPARE(platform::removeUnusedFontCopies(removing.replace(QLatin1String("{parent}"), parent.path()), 0), removed);
        QVERIFY(QFileInfo::exists(used));
        QCOMPARE(QFileInfo::exists(unused), removed == 0);
    }

    // A listed file that changed after listing never travels (and a FIFO never blocks), and its
    // line is marked as on paper; one beyond the size limit, or beyond the document's total, is
    // named in a note in the interface language that says which limit applied. A font of the same
    // folder that may travel does, in each document.
    void filesThatStayOut_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("german");
        QTest::newRow("replaced by a FIFO") << "fifo" << false;
        QTest::newRow("replaced by a copy") << "copy" << false;
        QTest::newRow("too large, English") << "large" << false;
        QTest::newRow("too large, German") << "large" << true;
        QTest::newRow("document full, German") << "full" << true;
    }
    void filesThatStayOut()
    {
        QFETCH(QString, change);
        QFETCH(bool, german);
        const QString folder = m_dir.filePath(QStringLiteral("out-") + QString::fromLatin1(QTest::currentDataTag()));
        const QString family = QStringLiteral("Out Probe");
        const QString target = folder + QStringLiteral("/out.ttf");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(makeFont(target, family, 0));
        QVERIFY(makeFont(folder + QStringLiteral("/kept.ttf"), QStringLiteral("Kept Probe"), 0));
        if (change == QLatin1String("large")) {
            QFile file(target);
            QVERIFY(file.resize(platform::kMaxFontFileSize + 1));
        }
        if (german)
            prog->mdeClick();
        loadFolder(folder);
        QCOMPARE(prog->file_font_paths.size(), 2);
        const QStringList entries = {prog->ListBox1->item(0)->text(), prog->ListBox1->item(1)->text()};

        if (change == QLatin1String("fifo")) {
            QVERIFY(QFile::remove(target));
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        } else if (change == QLatin1String("copy")) {
            QVERIFY(QFile::copy(target, target + QStringLiteral(".new")));
            QVERIFY(QFile::remove(target));
            QVERIFY(QFile::rename(target + QStringLiteral(".new"), target));
        }
        // "Kept Probe" sorts before "Out Probe" and fills the document when it may carry one font.
        const qint64 limit = output::setMaxCarriedFontBytes(change == QLatin1String("full") ? 1 + QFileInfo(folder + QStringLiteral("/kept.ttf")).size() : 0);
        const auto restoreLimit = qScopeGuard([limit] { output::setMaxCarriedFontBytes(limit); });
        const QString document = makeDocument(entries);
        QVERIFY(!document.isEmpty());

        const QString fontTable = QString::fromUtf8(part(document, "word/fontTable.xml"));
        QVERIFY2(fontTable.contains(QLatin1String("w:name=\"Kept Probe\"><w:embedRegular")), qPrintable(fontTable));
        QVERIFY2(!fontTable.contains(QLatin1String("w:name=\"Out Probe\"><w:embed")), qPrintable(fontTable));
        const QString text = QString::fromUtf8(part(document, "word/document.xml"));
        QVERIFY(text.contains(family));
        // Only a file the sheet cannot draw is marked; one left out for the document's total is not.
        QCOMPARE(text.count(output::unusableFileMark(german)), change == QLatin1String("full") ? 0 : 1);
        const QList<dialogs::DialogKind> shown = dialogs::shownKinds();
        if (change == QLatin1String("large") || change == QLatin1String("full")) {
            QCOMPARE(shown, (QList{dialogs::DialogKind::Confirmation, dialogs::DialogKind::Information}));
            const output::UncarriedFonts expected{change == QLatin1String("large") ? QStringList{target} : QStringList(),
                                                  change == QLatin1String("full") ? QStringList{target} : QStringList()};
            QCOMPARE(dialogs::shown().last().text, output::fontsNotCarriedText(german, expected));
        } else {
            QCOMPARE(shown, QList{dialogs::DialogKind::Confirmation});
        }
    }

    // A crafted name table lists at once, and reaches the word processor (whose font system would
    // compare every name with every other for hours) with its names bounded.
    void craftedNamesReachWriterBounded()
    {
        const QString folder = m_dir.filePath(QStringLiteral("crafted"));
        QVERIFY(QDir().mkpath(folder));
        const QString source = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSansMono.ttf"));
        QVERIFY(gwtest::runPython(kCraftNamesScript, {source, folder + QStringLiteral("/crafted.ttf")}));
        loadFolder(folder);
        QCOMPARE(prog->ListBox1->item(0)->text(), QStringLiteral("Crafted Names | ") + folder + QStringLiteral("/crafted.ttf"));

        const QString document = makeDocument({prog->ListBox1->item(0)->text()});
        QVERIFY(!document.isEmpty());
        const QDir fonts(QFileInfo(m_opener.fontConfiguration).path() + QStringLiteral("/fonts"));
        const QString handed = fonts.filePath(fonts.entryList(QDir::Files).value(0));
        const QString families = gwtest::toolOutput(QStringLiteral("fc-query"), {QStringLiteral("--format=%{family}"), handed});
        QVERIFY2(families.section(QLatin1Char(','), 0, 0) == QLatin1String("Crafted Names"), qPrintable(families.left(80)));
        const QRegularExpressionMatch key = QRegularExpression(QStringLiteral("w:fontKey=\"(\\{[0-9A-F-]{36}\\})\""))
                                                .match(QString::fromUtf8(part(document, "word/fontTable.xml")));
        QVERIFY(key.hasMatch());
        QFile copy(handed);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(output::docx::obfuscate(part(document, "word/fonts/font1.odttf"), QUuid::fromString(key.captured(1))),
                 copy.readAll());
    }

    // The documents folder is made for a document only, by the XDG rule, and never through a
    // link: a link planted in its place leaves its target as it was; without a cache folder the
    // user is told in the interface language and nothing is made.
    void documentFolderStaysInPlace_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("german");
        QTest::newRow("link planted at the folder") << "link" << false;
        QTest::newRow("no HOME, no cache folder") << "none" << false;
        QTest::newRow("no HOME, relative cache folder, German") << "relative" << true;
    }
    void documentFolderStaysInPlace()
    {
        QFETCH(QString, setup);
        QFETCH(bool, german);
        const QString root = m_dir.filePath(QStringLiteral("place-") + setup);
        const QString elsewhere = root + QStringLiteral("/elsewhere");
        const QString old = elsewhere + QStringLiteral("/Glyphworks-old.docx");
        QVERIFY(gwtest::writeFile(old, "x"));
        const utimbuf aged{std::time(nullptr) - 3 * 86400, std::time(nullptr) - 3 * 86400};
        QVERIFY(::utime(QFile::encodeName(old).constData(), &aged) == 0);
        QVERIFY(::chmod(QFile::encodeName(elsewhere).constData(), 0755) == 0);
        const QByteArray home = qgetenv("HOME");
        const QByteArray cache = qgetenv("XDG_CACHE_HOME");
        const QString startFolder = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("XDG_CACHE_HOME", cache);
            QDir::setCurrent(startFolder);
        });
        const bool rootCache = QFileInfo::exists(QStringLiteral("/.cache"));
        output::DocumentFolderError expected(output::DocumentFolderError::NoCacheFolder, {}, {});
        if (setup == QLatin1String("link")) {
            qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
            QVERIFY(QDir().mkpath(root + QStringLiteral("/cache/glyphworks")));
            const QString documents = root + QStringLiteral("/cache/glyphworks/documents");
            QVERIFY(QFile::link(elsewhere, documents));
            expected = output::DocumentFolderError(output::DocumentFolderError::NotOwnFolder, documents, {});
        } else {
            qunsetenv("HOME");
            if (setup == QLatin1String("relative"))
                qputenv("XDG_CACHE_HOME", "cache");
            else
                qunsetenv("XDG_CACHE_HOME");
            QVERIFY(QDir::setCurrent(root));
        }
        if (german)
            prog->mdeClick();

        output::removeOldDocuments(QDateTime::currentDateTime());
        QVERIFY(makeDocument({QStringLiteral("DejaVu Sans")}).isEmpty());
        QCOMPARE(dialogs::shown().last().kind, dialogs::DialogKind::Error);
        QCOMPARE(dialogs::shown().last().text, output::documentFolderText(german, expected));
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Glyphworks-old.docx")});
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(elsewhere).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0755));
        QCOMPARE(QFileInfo::exists(QStringLiteral("/.cache")), rootCache);
        if (setup != QLatin1String("link"))
            QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"elsewhere"});
    }

    // A start that makes no document makes no folder, wherever HOME leads.
    void startMakesNoFolder_data()
    {
        QTest::addColumn<bool>("home");
        QTest::newRow("HOME set") << true;
        QTest::newRow("HOME unset") << false;
    }
    void startMakesNoFolder()
    {
        QFETCH(bool, home);
        const QString folder = m_dir.filePath(QStringLiteral("start-home-") + QString::number(home));
        QVERIFY(QDir().mkpath(folder));
        const bool rootCache = QFileInfo::exists(QStringLiteral("/.cache"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_CACHE_HOME"));
        environment.remove(QStringLiteral("HOME"));
        if (home)
            environment.insert(QStringLiteral("HOME"), folder);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folder);
        program.start(QStringLiteral(GW_PROGRAM), {QStringLiteral("--list-fonts")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/.cache")));
        QCOMPARE(QFileInfo::exists(QStringLiteral("/.cache")), rootCache);
    }

    // A size the document cannot take, or a font with no document open, is refused; the
    // document keeps the size it had.
    void refusedFontSize_data()
    {
        QTest::addColumn<bool>("document");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("no document") << false << 8 << "No document is open.";
        QTest::newRow("size 0") << true << 0 << "The font size 0 is out of range (1 to 1638 points).";
        QTest::newRow("size 1639") << true << 1639 << "The font size 1639 is out of range (1 to 1638 points).";
    }
    void refusedFontSize()
    {
        QFETCH(bool, document);
        QFETCH(int, size);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(QStringLiteral("refused.docx"));
        output::setDocumentDestination(path);
        const auto restore = qScopeGuard([] { output::setDocumentDestination(QString()); });
        const std::unique_ptr<output::WordProcessor> word = output::createWordApplication();
        if (document)
            word->documentsAdd();
        try {
            word->setFontSize(size);
            QFAIL("the size was taken");
        } catch (const util::Error &e) {
            QCOMPARE(e.message(), message);
        }
        if (!document)
            word->documentsAdd();
        word->typeText(QStringLiteral("Probe"));
        word->setVisible(true);
        const QByteArray xml = part(path, "word/document.xml");
        QVERIFY(xml.contains("Probe"));
        QCOMPARE(xml.count("<w:sz w:val=\"24\"/>"), xml.count("<w:sz "));
    }

    void noWordProcessorIsNotFound()
    {
        m_opener.present = false;
        QVERIFY(makeDocument({QStringLiteral("DejaVu Sans")}).isEmpty());
        QCOMPARE(dialogs::shown().size(), 2);
        QCOMPARE(dialogs::shown().last().text, output::wordNotFoundText(false));
    }

    void oldDocumentsAreRemoved()
    {
        const QString old = output::documentFolder() + QStringLiteral("/Glyphworks-old.docx");
        const QString fresh = output::documentFolder() + QStringLiteral("/Glyphworks-fresh.docx");
        QVERIFY(gwtest::writeFile(old, "x"));
        QVERIFY(gwtest::writeFile(fresh, "x"));
        QFile file(old);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        file.close();
        output::removeOldDocuments(QDateTime::currentDateTime().addDays(-1));
        QVERIFY(!QFileInfo::exists(old));
        QVERIFY(QFileInfo::exists(fresh));
    }
};

GW_TEST_MAIN_APP(TestWordDocument)
#include "tst_worddocument.moc"
