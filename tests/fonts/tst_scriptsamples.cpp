#include "fonts/SampleTexts.h"
#include "fonts/ScriptSamples.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "typeface/FontFile.h"

using platform::CharacterMap;

namespace {

CharacterMap fileMap(const QString &package, const QString &file, int face = 0)
{
    return platform::readCharacterMap(platform::readFontFile(gwtest::packageFontFile(package, file)).bytes, face);
}

CharacterMap mapOf(const QString &text)
{
    QList<char32_t> codes;
    for (const char32_t c : text.toUcs4())
        codes.append(c);
    return CharacterMap::fromCodePoints(codes);
}

CharacterMap rangeMap(char32_t first, char32_t last)
{
    QList<char32_t> codes;
    for (char32_t c = first; c <= last; ++c)
        codes.append(c);
    return CharacterMap::fromCodePoints(codes);
}

QString run(char32_t first, char32_t last)
{
    QString s;
    for (char32_t c = first; c <= last; ++c)
        s += QChar::fromUcs4(c);
    return s;
}

QString text(std::initializer_list<char32_t> codes)
{
    QString s;
    for (char32_t c : codes)
        s += QChar::fromUcs4(c);
    return s;
}

} // namespace

class TestScriptSamples : public QObject
{
    Q_OBJECT
private slots:
    // Each sample is written in its own script alone (spaces and punctuation aside), and every
    // script a sheet promises has one.
    void everySampleIsOfItsScript()
    {
        for (const fonts::ScriptSample &sample : fonts::scriptSamples()) {
            const QString code = QString::fromUtf16(sample.code.data(), qsizetype(sample.code.size()));
            const QString text = fonts::scriptSample(code);
            const QList<platform::ScriptCount> scripts = platform::scriptCounts(mapOf(text));
            QCOMPARE(scripts.size(), 1);
            QCOMPARE(scripts.first().code, code);
        }
        const char *promised[] = {"Arab", "Armn", "Beng", "Cyrl", "Deva", "Ethi", "Geor", "Grek", "Gujr",
                                  "Guru", "Hani", "Hang", "Hebr", "Hira", "Kana", "Knda", "Khmr", "Laoo",
                                  "Latn", "Mlym", "Mymr", "Sinh", "Taml", "Telu", "Thai", "Tibt"};
        for (const char *code : promised)
            QVERIFY2(!fonts::scriptSample(QLatin1String(code)).isEmpty(), code);
        QVERIFY(fonts::scriptSample(QStringLiteral("Zzzz")).isEmpty());
    }

    void choice_data()
    {
        QTest::addColumn<CharacterMap>("map");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("shown");
        const QString english = fonts::englishExample0();
        const CharacterMap arabic = fileMap("fonts-noto-core", "NotoSansArabic-Regular.ttf");
        QTest::newRow("Latin font, Latin text") << fileMap("fonts-dejavu-core", "DejaVuSans.ttf") << english << english;
        QTest::newRow("Arabic font, Latin text") << arabic << english << fonts::scriptSample("Arab");
        QTest::newRow("Arabic font, Arabic text") << arabic << text({0x0645, 0x0631, 0x062D, 0x0628, 0x0627})
                                                  << text({0x0645, 0x0631, 0x062D, 0x0628, 0x0627});
        QTest::newRow("CJK face, Arabic text") << fileMap("fonts-noto-cjk", "NotoSansCJK-Regular.ttc", 1)
                                               << text({0x0645, 0x0631}) << fonts::scriptSample("Hani");
        // Katakana outnumber hiragana, yet Japanese is written in hiragana.
        QList<char32_t> kana = rangeMap(0x3041, 0x3096).firstCharacters(100);
        kana += rangeMap(0x30A1, 0x30FF).firstCharacters(100);
        QTest::newRow("both kana") << CharacterMap::fromCodePoints(kana) << english << fonts::scriptSample("Hira");
        QTest::newRow("katakana only") << rangeMap(0x30A1, 0x30FA) << english << fonts::scriptSample("Kana");
        // A font of part of a script shows what it has of the sample.
        QTest::newRow("part of Arabic") << mapOf(QStringLiteral("abc") + text({0x0628, 0x062C, 0x062F, 0x0647, 0x0648}))
                                        << english << text({0x0628, 0x062C, 0x062F, 0x0020, 0x0647, 0x0648});
        QList<char32_t> greek = rangeMap(0x0391, 0x03A9).firstCharacters(100);
        greek += rangeMap(0x03B1, 0x03C9).firstCharacters(100);
        QTest::newRow("Greek without accents") << CharacterMap::fromCodePoints(greek) << english
                                               << QStringLiteral("Ξεσκεπαζω την ψυχοφθορα βδελυγμια");
        // Symbol fonts map their own codes in the private use area: no script, their first characters.
        QTest::newRow("symbol font") << rangeMap(0xF020, 0xF0FF) << english
                                     << run(0xF020, 0xF033);
        // Adlam has no sample here: an Adlam font shows Adlam letters, not its ASCII punctuation.
        QList<char32_t> adlam = rangeMap(0x21, 0x2F).firstCharacters(100);
        adlam += rangeMap(0x1E900, 0x1E943).firstCharacters(100);
        QTest::newRow("script without a sample") << CharacterMap::fromCodePoints(adlam) << english
                                                 << run(0x1E900, 0x1E913);
        QTest::newRow("nothing known") << CharacterMap() << english << english;
        QTest::newRow("spaces not asked") << mapOf("AB") << QStringLiteral("A B\tA") << QStringLiteral("A B\tA");
    }
    void choice()
    {
        QFETCH(CharacterMap, map);
        QFETCH(QString, sample);
        QFETCH(QString, shown);
        QCOMPARE(fonts::ownScriptSample(map, sample), shown);
    }
};

GW_TEST_MAIN_CORE(TestScriptSamples)
#include "tst_scriptsamples.moc"
