#include "support/TestMain.h"
#include "util/WideFunc.h"

namespace {

const QString fontExtensionText = QStringLiteral(".ttf,.otf,.fon,.fnt,.ttc,.fot,.mmm,.pfb,.pfm");
const QStringList fontExtensions{".ttf", ".otf", ".fon", ".fnt", ".ttc", ".fot", ".mmm", ".pfb", ".pfm"};

} // namespace

class TestWideFunc : public QObject
{
    Q_OBJECT
private slots:
    void splitText_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("font extensions") << "," << fontExtensionText << fontExtensions;
        QTest::newRow("consecutive separators") << "," << "a,,b" << QStringList{"a", "", "b"};
        QTest::newRow("trailing separator") << "," << "a," << QStringList{"a", ""};
        QTest::newRow("leading separator") << "," << ",a" << QStringList{"", "a"};
        QTest::newRow("empty text") << "," << "" << QStringList{""};
        QTest::newRow("separator only") << "," << "," << QStringList{"", ""};
        QTest::newRow("no separator in text") << "," << "abc" << QStringList{"abc"};
        QTest::newRow("case matters") << "X" << "axbXc" << QStringList{"axb", "c"};
        QTest::newRow("multi-char separator") << " | " << "Arial | /f/a.ttf" << QStringList{"Arial", "/f/a.ttf"};
        QTest::newRow("occurrence reaches into appended separator") << ",," << "a," << QStringList{"a", ""};
        QTest::newRow("odd run of multi-char separator") << ",," << "a,,,b" << QStringList{"a", ",b"};
        QTest::newRow("multi-char separator on empty text") << "--" << "" << QStringList{""};
        QTest::newRow("empty separator gives whole text") << "" << "a,b" << QStringList{"a,b"};
        QTest::newRow("empty separator, empty text") << "" << "" << QStringList{""};
    }
    void splitText()
    {
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QStringList parts;
        SplitText(parts, separator, text);
        QCOMPARE(parts, pieces);
    }

    void splitTextAppends()
    {
        QStringList parts{"keep"};
        SplitText(parts, QStringLiteral(";"), QStringLiteral("x;y"));
        QCOMPARE(parts, (QStringList{"keep", "x", "y"}));
    }

    void splitTextLongInput()
    {
        // A quadratic split (cutting the front off a copy each time) would take seconds here.
        const int count = 200000;
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("ab,");
        QStringList parts;
        SplitText(parts, QStringLiteral(","), text);
        QCOMPARE(parts.size(), count + 1);
        QCOMPARE(parts.first(), QStringLiteral("ab"));
        QCOMPARE(parts.last(), QString());
    }

    void isInList_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("differs in case") << QStringList{"Times", "Arial"} << "arial" << true;
        QTest::newRow("exact") << QStringList{"Arial"} << "Arial" << true;
        QTest::newRow("absent") << QStringList{"Arial", "Times"} << "Courier" << false;
        QTest::newRow("prefix is not equal") << QStringList{"Arial Black"} << "arial" << false;
        QTest::newRow("empty list") << QStringList{} << "arial" << false;
        QTest::newRow("empty list, empty text") << QStringList{} << "" << false;
        QTest::newRow("empty text without empty element") << QStringList{"a", "b"} << "" << false;
        QTest::newRow("empty text with empty element") << QStringList{"a", ""} << "" << true;
        QTest::newRow("accented letters") << QStringList{"ÉCOLE"} << "école" << true;
        QTest::newRow("greek") << QStringList{"ΣΟΦΙΑ"} << "σοφια" << true;
        // Upper-casing maps ß to "SS", so these meet although they differ in length.
        QTest::newRow("sharp s against SS") << QStringList{"STRASSE"} << "straße" << true;
        QTest::newRow("SS against sharp s") << QStringList{"straße"} << "Strasse" << true;
    }
    void isInList()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, text);
        QFETCH(bool, found);
        QCOMPARE(IsInList(list, text), found);
    }

    void isInListFollowsUpperCasing()
    {
        // The sharp-s rows depend on the Unicode upper-casing in use; tie them to it.
        QCOMPARE(QStringLiteral("straße").toUpper(), QStringLiteral("STRASSE"));
    }

    void appendToList()
    {
        QStringList list{"a"};
        QVERIFY(AppendToList(list, QString()));
        QVERIFY(AppendToList(list, QStringLiteral("b")));
        QCOMPARE(list, (QStringList{"a", "", "b"}));
    }

    void replaceAll_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no overlapping matches") << "aaa" << "aa" << "b" << "ba";
        QTest::newRow("old equals new") << "abcabc" << "b" << "b" << "abcabc";
        QTest::newRow("empty old") << "abc" << "" << "x" << "abc";
        QTest::newRow("no match") << "abc" << "x" << "y" << "abc";
        QTest::newRow("empty source") << "" << "a" << "b" << "";
        QTest::newRow("old longer than source") << "ab" << "abc" << "x" << "ab";
        QTest::newRow("grows") << "a-b-c" << "-" << " -- " << "a -- b -- c";
        QTest::newRow("shrinks") << "a<br>b<br>c" << "<br>" << "\n" << "a\nb\nc";
        QTest::newRow("replaced by empty") << "xaxbx" << "x" << "" << "ab";
        QTest::newRow("match at start and end") << "%s mid %s" << "%s" << "VALUE" << "VALUE mid VALUE";
        QTest::newRow("whole source") << "abc" << "abc" << "z" << "z";
        QTest::newRow("adjacent matches") << "abab" << "ab" << "X" << "XX";
        QTest::newRow("case matters") << "Aa" << "a" << "b" << "Ab";
        QTest::newRow("partial match then match") << "aab" << "ab" << "X" << "aX";
        QTest::newRow("outside the basic plane") << "x😀y😀" << "😀" << "!" << "x!y!";
    }
    void replaceAll()
    {
        QFETCH(QString, source);
        QFETCH(QString, oldText);
        QFETCH(QString, newText);
        QFETCH(QString, expected);
        QString result = QStringLiteral("stale");
        ReplaceAll(source, oldText, newText, result);
        QCOMPARE(result, expected);
    }

    void replaceAllIntoItsSource()
    {
        // Callers may write the result over the source they pass.
        QString text = QStringLiteral("one two two");
        ReplaceAll(text, QStringLiteral("two"), QStringLiteral("three"), text);
        QCOMPARE(text, QStringLiteral("one three three"));
        QString shrink = QStringLiteral("abcabc");
        ReplaceAll(shrink, QStringLiteral("abc"), QStringLiteral("z"), shrink);
        QCOMPARE(shrink, QStringLiteral("zz"));
    }
};

GW_TEST_MAIN_CORE(TestWideFunc)
#include "tst_widefunc.moc"
