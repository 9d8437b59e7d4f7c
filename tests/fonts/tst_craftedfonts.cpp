// Fonts whose tables claim far more than a font needs (a name table of 700 MB of strings, an
// 'fvar' of 1,024 axes and 15,000 instances, a million overlapping map groups) or break the
// rules a reader may rely on (map groups out of order, glyphs past the count, lone surrogates):
// every reader a listed file meets answers within bounds, in a child process under an address
// space limit, and what the list says a font shows is what its drawing shows.

#include "fonts/CharacterMaps.h"
#include "fonts/FontInfo.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "typeface/FileFaces.h"
#include "typeface/SfntTables.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

// Far below what the unbounded readers took for one of these files (700 MB and more), far above
// what the program needs. The sanitizer's shadow memory takes terabytes of address space, so
// there the runs go without the limit and only their output is checked.
constexpr rlim_t kAddressSpace = rlim_t(384) << 20;

struct Run
{
    int code = -1;
    QByteArray out;
};

Run runLimited(const QStringList &arguments)
{
    QProcess program;
    program.setProgram(QStringLiteral(GW_PROGRAM));
    program.setArguments(arguments);
#if !defined(__SANITIZE_ADDRESS__)
    program.setChildProcessModifier([] {
        const rlimit limit{kAddressSpace, kAddressSpace};
        ::setrlimit(RLIMIT_AS, &limit);
    });
#endif
    program.start();
    Run run;
    if (program.waitForFinished(240000) && program.exitStatus() == QProcess::NormalExit)
        run.code = program.exitCode();
    run.out = program.readAllStandardOutput();
    return run;
}

} // namespace

class TestCraftedFonts : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString folderOf(const QString &kind) const { return m_dir.filePath(kind); }
    QString fileOf(const QString &kind) const { return folderOf(kind) + QLatin1Char('/') + kind + QStringLiteral(".ttf"); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QStringList kinds{QStringLiteral("name-bomb"), QStringLiteral("fvar-bomb"),
                                QStringLiteral("fvar-instances"), QStringLiteral("overlap"),
                                QStringLiteral("descending"), QStringLiteral("gid-past"), QStringLiteral("surrogates")};
        QProcess make;
        make.start(QStringLiteral("/usr/bin/python3"),
                   QStringList{gwtest::sourceDir() + QStringLiteral("/tests/fonts/make_crafted_fonts.py"),
                               gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf")),
                               m_dir.path()}
                       + kinds);
        QVERIFY(make.waitForFinished(120000) && make.exitCode() == 0);
        for (const QString &kind : kinds) {
            QVERIFY(QDir(m_dir.path()).mkdir(kind));
            QVERIFY(QFile::rename(m_dir.filePath(kind + QStringLiteral(".ttf")), fileOf(kind)));
        }
    }

    // Real fonts of the kinds whose maps differ most: a symbol and a dingbat font of their own
    // encoding (drawn through it), colour emoji, a face of a CJK collection, a plain font.
    void realMapsAreWhatIsDrawn_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("face");
        QTest::newRow("Type 1 symbols") << "/usr/share/fonts/X11/Type1/StandardSymbolsPS.pfb" << 0;
        QTest::newRow("Type 1 dingbats") << "/usr/share/fonts/X11/Type1/D050000L.pfb" << 0;
        QTest::newRow("colour emoji") << gwtest::packageFontFile(QStringLiteral("fonts-noto-color-emoji"),
                                                                 QStringLiteral("NotoColorEmoji.ttf"))
                                      << 0;
        QTest::newRow("collection face") << gwtest::packageFontFile(QStringLiteral("fonts-noto-cjk"),
                                                                    QStringLiteral("NotoSansCJK-Regular.ttc"))
                                         << 1;
        QTest::newRow("plain") << gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf"))
                               << 0;
    }
    void realMapsAreWhatIsDrawn()
    {
        QFETCH(QString, path);
        QFETCH(int, face);
        platform::FileFaces::instance().setListedFile(path, platform::readFontFile(path).identity, face);
        const platform::CharacterMap map =
            fonts::CharacterMaps::instance().map(fonts::FontListEntry::file(QStringLiteral("Real"), path));
        const QRawFont drawn = platform::FileFaces::instance().face(path, {24});
        QVERIFY(drawn.isValid() && !map.isEmpty());
        QList<char32_t> probes = map.firstCharacters(300);
        for (char32_t c = 0x21; c < 0x250; ++c)
            probes.append(c);
        probes << 0x3042 << 0x4E00 << 0xF041 << 0x1F600 << 0x10FFFF;
        for (const char32_t c : std::as_const(probes)) {
            // Spaces and controls are never asked for (the engine draws a no-break space as a space).
            const QChar::Category category = QChar::category(c);
            if (category == QChar::Separator_Space || category == QChar::Other_Control || category == QChar::Other_Format)
                continue;
            QVERIFY2(map.contains(c) == drawn.supportsCharacter(c), qPrintable(QString::number(c, 16)));
        }
    }

    // Handed to fontconfig or the word processor, a variable font of too many axes is a plain
    // font, one of too many instances has the first of them; the bytes keep their size.
    void variationsBoundedForOthers_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("instances"); // -1: no variations a reader takes
        QTest::newRow("1,024 axes") << "fvar-bomb" << qint64(-1);
        QTest::newRow("3,000 instances") << "fvar-instances" << qint64(platform::kMaxInstances);
    }
    void variationsBoundedForOthers()
    {
        QFETCH(QString, kind);
        QFETCH(qint64, instances);
        QFile file(fileOf(kind));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(platform::fvarLayout(platform::sfntTable(bytes, 0, platform::tableTag("fvar"))));
        const QByteArray bounded = platform::withBoundedTables(bytes);
        QCOMPARE(bounded.size(), bytes.size());
        const std::optional<platform::FvarLayout> layout =
            platform::fvarLayout(platform::sfntTable(bounded, 0, platform::tableTag("fvar")));
        QCOMPARE(layout ? layout->instanceCount : -1, instances);
    }

    void everyReaderBounded_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");      // asked with --covering
        QTest::addColumn<QString>("factsLine"); // a line of the information text
        QTest::newRow("name bomb") << "name-bomb" << "Hamburg" << "Family: Bomb";
        QTest::newRow("fvar bomb") << "fvar-bomb" << "Hamburg" << "…and 14,744 more instances";
        QTest::newRow("fvar of many instances") << "fvar-instances" << "Hamburg" << "…and 2,744 more instances";
        QTest::newRow("overlapping map groups") << "overlap" << QStringLiteral("A一") << "Glyphs: 6,253";
        QTest::newRow("descending map groups") << "descending" << QStringLiteral("é") << "Family: DejaVu Sans";
        QTest::newRow("glyphs past the count") << "gid-past" << QStringLiteral("一\u4E05") << "Family: DejaVu Sans";
        QTest::newRow("lone surrogates") << "surrogates" << "Hamburg" << QStringLiteral("Family: S\uFFFDx\uFFFDy");
    }

    void everyReaderBounded()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, factsLine);
        const QString path = fileOf(kind);
        const QStringList folder{QStringLiteral("--folder"), folderOf(kind), QStringLiteral("--no-system-fonts")};

        // The facts, each format one record of bounded size.
        const Run json = runLimited(QStringList{QStringLiteral("--list-fonts"), QStringLiteral("--format"),
                                                QStringLiteral("json")} + folder);
        QCOMPARE(json.code, 0);
        QJsonParseError error;
        const QJsonDocument records = QJsonDocument::fromJson(json.out, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QCOMPARE(records.array().size(), 1);
        QVERIFY(json.out.size() < 64 * 1024);
        const Run tsv = runLimited(QStringList{QStringLiteral("--list-fonts"), QStringLiteral("--format"),
                                               QStringLiteral("tsv")} + folder);
        QCOMPARE(tsv.code, 0);
        QCOMPARE(tsv.out.count('\n'), 2);
        QVERIFY(tsv.out.size() < 64 * 1024);

        // The list's map is the drawing's: each character it says the font shows has a glyph of
        // the face every target draws, and each it lacks has none.
        platform::FileFaces::instance().setListedFile(path, platform::readFontFile(path).identity);
        const fonts::FontListEntry entry = fonts::FontListEntry::file(kind, path);
        const platform::CharacterMap map = fonts::CharacterMaps::instance().map(entry);
        const QRawFont face = platform::FileFaces::instance().face(path, {24});
        QVERIFY(face.isValid());
        QList<char32_t> probes = map.firstCharacters(64);
        for (const char32_t c : text.toUcs4() + QList<uint>{0x41, 0xE9, 0x4E00, 0x4E05, 0xF041, 0x10FFFF})
            probes.append(c);
        for (const char32_t c : std::as_const(probes))
            QVERIFY2(map.contains(c) == face.supportsCharacter(c), qPrintable(QString::number(c, 16)));

        // The coverage question answers by that map.
        const Run covering = runLimited(QStringList{QStringLiteral("--list-fonts"), QStringLiteral("--covering"), text}
                                        + folder);
        QCOMPARE(covering.code, 0);
        QCOMPARE(covering.out.contains(QFile::encodeName(path)), map.covers(text));

        // A sheet whose samples are chosen by the font's own script.
        const QString pdf = m_dir.filePath(kind + QStringLiteral(".pdf"));
        QCOMPARE(runLimited(QStringList{QStringLiteral("--sheet"), pdf, QStringLiteral("--own-script"),
                                        QStringLiteral("--quiet")} + folder)
                     .code,
                 0);
        QVERIFY(QFileInfo(pdf).size() > 0);

        // The information window's text: bounded, and saying what it left out.
        const QString facts = fonts::factsText(entry, fonts::entryFacts(entry), false);
        QVERIFY(facts.size() < 256 * 1024);
        QVERIFY2(facts.contains(factsLine), qPrintable(facts.left(4000)));
    }
};

GW_TEST_MAIN_GUI(TestCraftedFonts)
#include "tst_craftedfonts.moc"
