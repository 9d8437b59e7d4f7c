#include "fonts/FontEntry.h"
#include "fonts/FontListLoader.h"
#include "typeface/FontFile.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <climits>
#include <sys/resource.h>

namespace {

// Records what the loader asked of the font system.
class RecordingSink : public fonts::FontSink
{
public:
    QStringList added;
    QList<std::pair<QString, platform::FileIdentity>> listed;
    int notices = 0;
    QString addFontFile(const QString &path) override
    {
        added << path;
        return path;
    }
    void listFontFile(const QString &path, const platform::FileIdentity &identity, int) override
    {
        listed.append({path, identity});
    }
    void postFontChange() override { ++notices; }
};

} // namespace

class TestFontListLoader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_bold;    // DejaVu Sans Bold
    QString m_mono;    // DejaVu Sans Mono
    QString m_serif;   // DejaVu Serif

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_bold = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans-Bold.ttf"));
        m_mono = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSansMono.ttf"));
        m_serif = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSerif.ttf"));
        QVERIFY(!m_bold.isEmpty() && !m_mono.isEmpty() && !m_serif.isEmpty());
        // root/own.ttf, root/sub/a.ttf, root/sub/deeper/b.TTF, root/x.ttf/ (a folder), root/notes.txt
        const QString root = m_dir.path() + QStringLiteral("/fonts");
        QVERIFY(gwtest::copyFile(m_bold, root + QStringLiteral("/own.ttf")));
        QVERIFY(gwtest::copyFile(m_mono, root + QStringLiteral("/sub/a.ttf")));
        QVERIFY(gwtest::copyFile(m_serif, root + QStringLiteral("/sub/deeper/b.TTF")));
        QVERIFY(gwtest::copyFile(m_serif, root + QStringLiteral("/x.ttf/inside.otf")));
        QVERIFY(gwtest::writeFile(root + QStringLiteral("/notes.txt"), "not a font"));
    }

    void folderTree_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("plain folder text") << QString();
        QTest::newRow("trailing slash") << QStringLiteral("/");
    }
    void folderTree()
    {
        QFETCH(QString, suffix);
        const QString root = m_dir.path() + QStringLiteral("/fonts");
        fonts::LoadRequest request{false, true, root + suffix};
        QStringList paths;
        RecordingSink sink;
        const fonts::FontListEntries entries =
            fonts::loadFontEntries(request, {}, {QStringLiteral("dejavu serif")}, paths, sink);
        // Sub-folders first (depth-first), then the folder's own files; no doubled separator.
        const QStringList expected = {
            QStringLiteral("DejaVu Serif | %1/sub/deeper/b.TTF").arg(root),
            QStringLiteral("DejaVu Sans Mono | %1/sub/a.ttf").arg(root),
            QStringLiteral("DejaVu Serif | %1/x.ttf/inside.otf").arg(root),
            QStringLiteral("DejaVu Sans Bold | %1/own.ttf").arg(root),
        };
        QCOMPARE(fonts::entryTexts(entries), expected);
        // "DejaVu Serif" is installed (compared ignoring case): listed, not added.
        QCOMPARE(paths, QStringList({root + QStringLiteral("/sub/a.ttf"), root + QStringLiteral("/own.ttf")}));
        QCOMPARE(sink.added, paths);
        QCOMPARE(sink.notices, 4);
        // Every file found is listed as the file it is, added or not.
        QCOMPARE(sink.listed.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QString path = entries.at(i).path;
            QCOMPARE(entries.at(i).text, FontFileEntry(entries.at(i).name, path));
            QCOMPARE(sink.listed.at(i).first, path);
            QVERIFY(sink.listed.at(i).second.isKnown());
            QCOMPARE(sink.listed.at(i).second, platform::readFontFile(path).identity);
        }
    }

    void sources_data()
    {
        QTest::addColumn<bool>("system");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("folderText");
        QTest::addColumn<int>("count");
        QTest::newRow("both off") << false << false << QStringLiteral("fonts") << 0;
        QTest::newRow("system only") << true << false << QStringLiteral("fonts") << 3;
        QTest::newRow("folder text empty") << true << true << QString() << 3;
        QTest::newRow("folder missing") << true << true << QStringLiteral("missing") << 3;
        QTest::newRow("folder is a file") << true << true << QStringLiteral("fonts/notes.txt") << 3;
        QTest::newRow("both on") << true << true << QStringLiteral("fonts") << 7;
        QTest::newRow("folder only") << false << true << QStringLiteral("fonts") << 4;
    }
    void sources()
    {
        QFETCH(bool, system);
        QFETCH(bool, folder);
        QFETCH(QString, folderText);
        QFETCH(int, count);
        const QString text = folderText.isEmpty() ? QString() : m_dir.path() + QLatin1Char('/') + folderText;
        QStringList paths;
        RecordingSink sink;
        const QStringList typefaces = {QStringLiteral("Zeta"), QStringLiteral("alpha"), QStringLiteral("Beta")};
        const fonts::FontListEntries entries =
            fonts::loadFontEntries({system, folder, text}, typefaces, {}, paths, sink);
        QCOMPARE(entries.size(), count);
        QCOMPARE(fonts::fontCountText(entries.size(), false), QString::number(count) + QStringLiteral(" Fonts Detected!"));
        QCOMPARE(fonts::fontCountText(entries.size(), true),
                 QString::number(count) + QStringLiteral(" Schriftarten wurden entdeckt!"));
    }

    void verticalFontsAreDropped()
    {
        QStringList paths;
        RecordingSink sink;
        const QStringList typefaces = {QStringLiteral("@Vertical"), QStringLiteral("Mid@dle"), QString(),
                                       QStringLiteral("@"), QStringLiteral("Plain")};
        const fonts::FontListEntries entries = fonts::loadFontEntries({true, false, {}}, typefaces, {}, paths, sink);
        QCOMPARE(fonts::entryTexts(entries), QStringList({QStringLiteral("Mid@dle"), QString(), QStringLiteral("Plain")}));
    }

    void reloadAddsAgain()
    {
        const QString root = m_dir.path() + QStringLiteral("/fonts");
        QStringList paths;
        RecordingSink sink;
        fonts::loadFontEntries({false, true, root}, {}, {}, paths, sink);
        fonts::loadFontEntries({false, true, root}, {}, {}, paths, sink);
        QCOMPARE(paths.size(), 8);
        QCOMPARE(paths.count(root + QStringLiteral("/own.ttf")), 2);
    }

    // Alphabetical by the interface language's collation, ignoring case; entries equal by it
    // keep their order side by side.
    void sortEntries_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("case ignored")
            << false << QStringList{"beta", "Alpha", "BETA", "alpha", "Gamma", " | /x.ttf"}
            << QStringList{" | /x.ttf", "Alpha", "alpha", "beta", "BETA", "Gamma"};
        QTest::newRow("umlauts among their letters")
            << true << QStringList{"Zapf", "\u00D6dipus", "Bach", "\u00C4pfel", "apfel", "Apfel", "Oda", "\u00FCber"}
            << QStringList{"apfel", "Apfel", "\u00C4pfel", "Bach", "Oda", "\u00D6dipus", "\u00FCber", "Zapf"};
        QTest::newRow("accented letters among their letters")
            << false << QStringList{"Zeta", "\u00C9migr\u00E9 | /f/e.ttf", "Fenix", "ecco", "\u00C5sa"}
            << QStringList{"\u00C5sa", "ecco", "\u00C9migr\u00E9 | /f/e.ttf", "Fenix", "Zeta"};
    }
    void sortEntries()
    {
        QFETCH(bool, german);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, sorted);
        // Each text stands for the entry of a file "name | path" or a typeface; name and file move
        // with their text.
        fonts::FontListEntries records;
        for (const QString &text : std::as_const(entries)) {
            const qsizetype bar = text.indexOf(QStringLiteral(" | "));
            records << (bar < 0 ? fonts::FontListEntry::typeface(text)
                                : fonts::FontListEntry::file(text.left(bar), text.mid(bar + 3)));
        }
        fonts::sortEntries(records, fonts::entryCollator(german));
        QCOMPARE(fonts::entryTexts(records), sorted);
        for (const fonts::FontListEntry &record : std::as_const(records))
            QCOMPARE(record.text, record.isFile() ? FontFileEntry(record.name, record.path) : record.name);
    }

    // A tree far deeper than the system's path limit, walked with few descriptors: every font in
    // it is listed with its own name.
    void treeBeyondPathLimit()
    {
        const QString root = m_dir.path() + QStringLiteral("/deep");
        const QString deepest = gwtest::deepFolder(root, 2000) + QStringLiteral("/serif.ttf");
        const QString middle = gwtest::deepFolder(root, 400) + QStringLiteral("/mono.ttf");
        QVERIFY(QFile::encodeName(deepest).size() > 2 * PATH_MAX);
        QFile serif(m_serif), mono(m_mono);
        QVERIFY(serif.open(QIODevice::ReadOnly) && mono.open(QIODevice::ReadOnly));
        QVERIFY(gwtest::writeDeepFile(deepest, serif.readAll()));
        QVERIFY(gwtest::writeDeepFile(middle, mono.readAll()));
        QVERIFY(gwtest::copyFile(m_bold, root + QStringLiteral("/bold.ttf")));

        rlimit saved{};
        getrlimit(RLIMIT_NOFILE, &saved);
        rlimit few = saved;
        few.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &few), 0);
        QStringList paths;
        RecordingSink sink;
        const fonts::FontListEntries entries = fonts::loadFontEntries({false, true, root}, {}, {}, paths, sink);
        setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(gwtest::removeTree(root));

        QCOMPARE(fonts::entryTexts(entries), QStringList({FontFileEntry(QStringLiteral("DejaVu Serif"), deepest),
                                       FontFileEntry(QStringLiteral("DejaVu Sans Mono"), middle),
                                       FontFileEntry(QStringLiteral("DejaVu Sans Bold"),
                                                            root + QStringLiteral("/bold.ttf"))}));
    }

    void installedFonts()
    {
        const QStringList printer = {QStringLiteral("Arial"), QStringLiteral("arial"), QStringLiteral("Foo")};
        const QStringList screen = {QStringLiteral("ARIAL"), QStringLiteral("Bar"), QStringLiteral("foo"),
                                    QStringLiteral("bar"), QStringLiteral("Default")};
        // The printer's names stay as they are, duplicates included; the screen adds what is new.
        QCOMPARE(fonts::buildInstalledFonts(printer, screen),
                 QStringList({QStringLiteral("Arial"), QStringLiteral("arial"), QStringLiteral("Foo"),
                              QStringLiteral("Bar"), QStringLiteral("Default")}));
        QCOMPARE(fonts::buildInstalledFonts({}, screen).size(), 4);
    }
};

GW_TEST_MAIN_CORE(TestFontListLoader)
#include "tst_fontlistloader.moc"
