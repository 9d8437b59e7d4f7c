#include "support/TestMain.h"
#include "util/EscapedText.h"

class TestEscapedText : public QObject
{
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QStringLiteral("Noto Sans | /f/ä €.ttf") << QStringLiteral("Noto Sans | /f/ä €.ttf");
        QTest::newRow("line breaks and tab") << QStringLiteral("a\nb\r\tc") << QStringLiteral("a\\nb\\r\\tc");
        QTest::newRow("escape sequence") << QStringLiteral("\x1b[2Jx") << QStringLiteral("\\x1b[2Jx");
        QTest::newRow("NUL and DEL") << QString(QChar(0)) + QChar(0x7F) << QStringLiteral("\\x00\\x7f");
        QTest::newRow("C1 controls") << QString(QChar(0x85)) + QChar(0x9B) << QStringLiteral("\\u0085\\u009b");
        QTest::newRow("line and paragraph separators")
            << QString(QChar(0x2028)) + QChar(0x2029) << QStringLiteral("\\u2028\\u2029");
        // A backslash is doubled, so the text "\n" and a line break print apart.
        QTest::newRow("backslash") << QStringLiteral("a\\nb") << QStringLiteral("a\\\\nb");
        QTest::newRow("byte of a file name") << QStringLiteral("caf") + QChar(0xDCE9) << QStringLiteral("caf\\xe9");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QStringLiteral("\\ud800");
        QTest::newRow("surrogate pair stays") << QString::fromUtf16(u"\U0001F600") << QString::fromUtf16(u"\U0001F600");
        QTest::newRow("Latin-1 letters stay") << QStringLiteral("\u00A0\u00E9") << QStringLiteral("\u00A0\u00E9");
    }
    void names()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(util::escapeControls(text), shown);
    }

    // A message keeps its own lines (CR LF as LF) and its backslashes; nothing else in it can act
    // on a terminal.
    void messages()
    {
        QCOMPARE(util::escapeMessageControls(QStringLiteral("One\r\nTwo\nC:\\x \x1b[31m\u0085\u2028")),
                 QStringLiteral("One\nTwo\nC:\\x \\x1b[31m\\u0085\\u2028"));
        QCOMPARE(util::escapeMessageControls(QStringLiteral("a\r\n")), QStringLiteral("a\n"));
        QCOMPARE(util::escapeMessageControls(QStringLiteral("a\rb")), QStringLiteral("a\\rb"));
    }

    // Only surrogates outside a pair are replaced; the pair in a wrong order is two lone ones.
    void wellFormed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QChar fffd = QChar::ReplacementCharacter;
        const QString pair = QString::fromUtf16(u"\U0001F600");
        QTest::newRow("lone high at the end") << QStringLiteral("a") + QChar(0xD800) << QStringLiteral("a") + fffd;
        QTest::newRow("carried byte") << QStringLiteral("x") + QChar(0xDCFF) + QStringLiteral("y")
                                      << QStringLiteral("x") + fffd + QStringLiteral("y");
        QTest::newRow("reversed pair") << QString(pair.at(1)) + pair.at(0) << QString(2, fffd);
        QTest::newRow("high before a pair") << QChar(0xD800) + pair << fffd + pair;
        QTest::newRow("pair and controls stay") << pair + QStringLiteral("\n\x1b") << pair + QStringLiteral("\n\x1b");
    }
    void wellFormed()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(util::wellFormed(text), expected);
    }
};

GW_TEST_MAIN_CORE(TestEscapedText)
#include "tst_escapedtext.moc"
