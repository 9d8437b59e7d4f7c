#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "typeface/CharacterMap.h"
#include "typeface/FontFile.h"

using platform::CharacterMap;

class TestCharacterMap : public QObject
{
    Q_OBJECT
private slots:
    void rangesFromCodePoints()
    {
        const CharacterMap map = CharacterMap::fromCodePoints({U'c', U'a', U'b', U'b', U'x', 0x1F600});
        QCOMPARE(map.ranges(), (QList<CharacterMap::Range>{{U'a', U'c'}, {U'x', U'x'}, {0x1F600, 0x1F600}}));
        QCOMPARE(map.characterCount(), 5);
        QVERIFY(map.contains(U'b') && map.contains(0x1F600) && !map.contains(U'd') && !map.contains(U'`'));
        // Spaces and controls are never asked of a font.
        QVERIFY(map.covers(QStringLiteral("ab c\tx\U0001F600")));
        QVERIFY(!map.covers(QStringLiteral("abd")));
    }

    // Real fonts: what each file maps, the script it is for, and the font of a collection asked for.
    void fontFiles_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("face");
        QTest::addColumn<bool>("latin");
        QTest::addColumn<QString>("script");
        QTest::newRow("Latin") << "fonts-dejavu-core" << "DejaVuSans.ttf" << 0 << true << "Latn";
        QTest::newRow("Arabic") << "fonts-noto-core" << "NotoSansArabic-Regular.ttf" << 0 << false << "Arab";
        QTest::newRow("Hebrew") << "fonts-noto-core" << "NotoRashiHebrew-Regular.ttf" << 0 << false << "Hebr";
        QTest::newRow("CJK collection, Korean face") << "fonts-noto-cjk" << "NotoSansCJK-Regular.ttc" << 1 << true << "Hani";
        QTest::newRow("Type 1") << "" << "/usr/share/fonts/type1/urw-base35/C059-Roman.t1" << 0 << true << "Latn";
    }
    void fontFiles()
    {
        QFETCH(QString, package);
        QFETCH(QString, file);
        QFETCH(int, face);
        QFETCH(bool, latin);
        QFETCH(QString, script);
        const QString path = package.isEmpty() ? file : gwtest::packageFontFile(package, file);
        const platform::FontFileBytes read = platform::readFontFile(path);
        QCOMPARE(read.fault, platform::FontFileFault::None);
        bool opened = false;
        const CharacterMap map = platform::readCharacterMap(read.bytes, face, &opened);
        QVERIFY(opened);
        QCOMPARE(map.covers(QStringLiteral("Anton is eating Cheese")), latin);
        const QList<platform::ScriptCount> scripts = platform::scriptCounts(map);
        QVERIFY(!scripts.isEmpty());
        QCOMPARE(scripts.first().code, script);
        QVERIFY(!platform::readCharacterMap(read.bytes, 5000, &opened).characterCount() && !opened);
    }

    void installedTypeface()
    {
        const CharacterMap map = platform::typefaceCharacterMap(QStringLiteral("DejaVu Sans"));
        QVERIFY(map.covers(QStringLiteral("Anton ÄÖÜ ß")));
        QVERIFY(platform::typefaceFile(QStringLiteral("DejaVu Sans")).path.endsWith(QLatin1String("DejaVuSans.ttf")));
        QVERIFY(platform::typefaceCharacterMap(QStringLiteral("No Such Family 1234")).isEmpty());
        QCOMPARE(platform::scriptName(QStringLiteral("Arab")), QStringLiteral("Arabic"));
    }
};

GW_TEST_MAIN_CORE(TestCharacterMap)
#include "tst_charactermap.moc"
