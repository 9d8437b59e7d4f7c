#include "fonts/SampleTexts.h"
#include "support/TestMain.h"

class TestSamples : public QObject
{
    Q_OBJECT
private slots:
    void appendedSamples_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("length");
        QTest::addColumn<uint>("first");
        QTest::addColumn<uint>("last");
        QTest::newRow("cyrillic") << 0 << 66 << 0x0041u << 0x044Fu;
        QTest::newRow("greek") << 1 << 48 << 0x0391u << 0x03C9u;
        QTest::newRow("georgian") << 2 << 33 << 0x10D0u << 0x10F0u;
        QTest::newRow("han") << 3 << 31 << 0x4E02u << 0x5114u;
        QTest::newRow("mixed") << 4 << 44 << uint('A') << uint('4');
    }
    void appendedSamples()
    {
        QFETCH(int, index);
        QFETCH(int, length);
        QFETCH(uint, first);
        QFETCH(uint, last);
        const QString s = fonts::appendedSamples().at(index);
        QCOMPARE(s.size(), length);
        QCOMPARE(uint(s.front().unicode()), first);
        QCOMPARE(uint(s.back().unicode()), last);
    }

    void cyrillicHalvesStartWithLatinLetters()
    {
        const QString cyrillic = fonts::appendedSamples().at(0);
        QCOMPARE(cyrillic.at(0), QChar(u'A'));
        QCOMPARE(cyrillic.at(6), QChar(0x0401));
        QCOMPARE(cyrillic.at(33), QChar(u'a'));
        QCOMPARE(cyrillic.at(39), QChar(0x0451));
        // No Cyrillic А/а in place of the Latin letters, and no letter twice.
        QVERIFY(!cyrillic.contains(QChar(0x0410)) && !cyrillic.contains(QChar(0x0430)));
        QCOMPARE(QSet<QChar>(cyrillic.begin(), cyrillic.end()).size(), 66);
    }

    void greekLeavesOutTheFinalSigmaAndTheGap()
    {
        const QString greek = fonts::appendedSamples().at(1);
        QVERIFY(!greek.contains(QChar(0x03A2)));
        QVERIFY(!greek.contains(QChar(0x03C2)));
    }

    void designSamples()
    {
        const QStringList samples = fonts::designSamples();
        QCOMPARE(samples.size(), 7);
        QCOMPARE(samples.at(0).size(), 75);
        QCOMPARE(fonts::englishExample0().size(), 62);
        QCOMPARE(samples.at(4).size(), 40);
        QCOMPARE(samples.at(5), QStringLiteral("1234567890") + samples.at(4));
        QVERIFY(samples.at(6).endsWith(QLatin1Char(' ')));
        QCOMPARE(fonts::appendedSamples().last(), QStringLiteral("Benutzerdefiniert.."));
    }
};

GW_TEST_MAIN_CORE(TestSamples)
#include "tst_samples.moc"
